# Installed as Linux players expect: the program in a directory of its own, and
# on the PATH a launcher that starts it in the player's data directory, where
# it keeps "Kestrova.res"; the menu entry and the icon in the hicolor theme.
include(GNUInstallDirs)
set(KESTROVA_PROGRAM_DIR ${CMAKE_INSTALL_LIBEXECDIR}/kestrova)
install(TARGETS kestrova RUNTIME DESTINATION ${KESTROVA_PROGRAM_DIR})
# Relative, so the installed tree works under any prefix it is copied to.
file(RELATIVE_PATH KESTROVA_LAUNCHER_TO_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${KESTROVA_PROGRAM_DIR}/kestrova)
configure_file(packaging/kestrova.in ${CMAKE_BINARY_DIR}/packaging/kestrova @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/kestrova DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/kestrova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/kestrova.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES packaging/icons/kestrova-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kestrova.png)
endforeach()
