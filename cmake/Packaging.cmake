# The Debian package: "cpack -G DEB" in the build folder (scripts/build-deb).
# Its dependencies are found by dpkg-shlibdeps from the installed programs.
set(CPACK_PACKAGE_NAME korvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Korvane developers")
set(CPACK_PACKAGE_CONTACT "Korvane developers <dev@korvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configure and program USB power-delivery controller chips")
set(CPACK_PACKAGE_DESCRIPTION "Korvane edits the configuration of USB power-delivery controller chips
as a tree of named settings and writes it, with the chip's code, through a
programmer on a serial port. The package holds the desktop application, the
command-line tool korvane-cli for scripts and production lines, and the
programmer emulator korvane-sim.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvane.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Every file is written by root and read by everyone.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvane)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION ${docdir})
set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/dist/changelog > ${changelog}
  DEPENDS ${CMAKE_SOURCE_DIR}/dist/changelog VERBATIM)
add_custom_target(korvane_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${docdir})

include(CPack)
