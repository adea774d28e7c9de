// placeholder: tests are being written
