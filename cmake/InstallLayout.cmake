# Where an installation puts each kind of file (the usual Linux layout below
# the prefix), and how the programs find them again: by a path relative to
# their own folder, so that the whole tree can be moved to another prefix.
# The build tree keeps everything beside the executables instead, and the
# programs look there first.
include(GNUInstallDirs)

# The private component goes below the multiarch library folder where the
# system has one (lib/x86_64-linux-gnu/korvane), whatever the prefix: it is
# no library for others, and the linker's cache need not know it.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(KORVANE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/korvane)
else()
  set(KORVANE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/korvane)
endif()
set(KORVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/korvane)
# udev reads the rules below the prefix's lib/ (not the multiarch one).
set(KORVANE_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING "Where the udev rule is installed, below the prefix")

file(RELATIVE_PATH KORVANE_LIBDIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${KORVANE_INSTALL_LIBDIR})
file(RELATIVE_PATH KORVANE_DATADIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/korvane)
