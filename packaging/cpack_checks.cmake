# Read by cpack before it makes the Debian package (CPACK_PROJECT_CONFIG_FILE
# in the top CMakeLists.txt). A Debian package installs under /usr; a build
# configured for another prefix (/usr/local by default, or a home folder)
# would make a package of files there, with man pages and a systemd example
# naming those paths, so cpack stops with the fix instead.
if(CPACK_GENERATOR STREQUAL "DEB" AND
   NOT (CPACK_TIDEWELL_CONFIGURED_PREFIX STREQUAL "/usr" AND CPACK_PACKAGING_INSTALL_PREFIX STREQUAL "/usr"))
  message(FATAL_ERROR
    "This build is configured for ${CPACK_TIDEWELL_CONFIGURED_PREFIX}, but a Debian package installs under /usr.\n"
    "Configure a build folder for the package with -DCMAKE_INSTALL_PREFIX=/usr and run cpack there:\n"
    "  cmake -S <source> -B build-deb -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr\n"
    "  cmake --build build-deb && (cd build-deb && cpack)\n"
    "(To install this build under ${CPACK_TIDEWELL_CONFIGURED_PREFIX}, use cmake --install.)")
endif()
