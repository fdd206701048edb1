# Where an installation puts each kind of file (the usual Linux layout below
# the prefix), and how the programs find them again: by a path relative to
# their own folder, so that the whole tree can be moved to another prefix.
# The build tree keeps everything beside the executables instead, and the
# programs look there first.
include(GNUInstallDirs)

set(KORVANE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/korvane)
set(KORVANE_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/korvane)
# udev reads the rules below the prefix's lib/ (not the multiarch one).
set(KORVANE_UDEV_RULES_DIR lib/udev/rules.d CACHE STRING "Where the udev rule is installed, below the prefix")

file(RELATIVE_PATH KORVANE_LIBDIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR}/korvane)
file(RELATIVE_PATH KORVANE_DATADIR_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/korvane)
