# What makes the installed programs part of the desktop and the shell: the
# menu entry, its icons and the software-centre description, the manual
# pages, the command-line completion and the udev rule for the programmer.
set(KORVANE_APP_ID org.korvane.Korvane)
set(dist ${CMAKE_SOURCE_DIR}/dist)

if(KORVANE_BUILD_GUI)
  install(FILES ${dist}/${KORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${dist}/${KORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${dist}/icons/korvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KORVANE_APP_ID}.svg)
  foreach(size 48 256)
    install(FILES ${dist}/icons/korvane-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${KORVANE_APP_ID}.png)
  endforeach()
endif()

# Manual pages are installed compressed, as man and the packaging rules expect.
set(pages korvane-cli korvane-sim)
if(KORVANE_BUILD_GUI)
  list(APPEND pages korvane)
endif()
set(compressed)
foreach(page IN LISTS pages)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9n -c ${dist}/man/${page}.1 > ${out}
    DEPENDS ${dist}/man/${page}.1 VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(korvane_man ALL DEPENDS ${compressed})
install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${dist}/korvane-cli.bash-completion DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME korvane-cli)
install(FILES ${dist}/70-korvane.rules DESTINATION ${KORVANE_UDEV_RULES_DIR})
