// Settings reaching into the host implementation.
#include "platform/posix/windows_attributes.h"
