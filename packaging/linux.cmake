# Installed as Linux players expect: the program in a directory of its own, and
# on the PATH a launcher that starts it in the player's data directory, where
# it keeps "Kestrova.res"; the menu entry, the icon in the hicolor theme and
# the manual page.
#
# Two layouts share the menu entry, icons and manual page (component "common"):
# `cmake --install` puts the launcher in bin/ and the program in libexec/kestrova/
# (component "tree"); the Debian package puts them where Debian's policy puts
# games, /usr/games and /usr/lib/games/kestrova/ (component "debian", which only
# the package installs).
include(GNUInstallDirs)

# Relative, so an installed tree works under any prefix it is copied to.
function(kestrova_launcher component bindir programdir)
  file(RELATIVE_PATH KESTROVA_LAUNCHER_TO_PROGRAM ${CMAKE_INSTALL_PREFIX}/${bindir}
       ${CMAKE_INSTALL_PREFIX}/${programdir}/kestrova)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/kestrova.in ${CMAKE_BINARY_DIR}/packaging/${component}/kestrova @ONLY)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/${component}/kestrova DESTINATION ${bindir} COMPONENT ${component}
          ${ARGN})
  install(TARGETS kestrova RUNTIME DESTINATION ${programdir} COMPONENT ${component} ${ARGN})
endfunction()
kestrova_launcher(tree ${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_LIBEXECDIR}/kestrova)
kestrova_launcher(debian games lib/games/kestrova EXCLUDE_FROM_ALL)

install(FILES packaging/kestrova.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT common)
install(FILES packaging/kestrova.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT common)
foreach(size 48 128 256)
  install(FILES packaging/icons/kestrova-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kestrova.png COMPONENT common)
endforeach()

# Manual pages and changelogs go compressed, without a time stamp in the header.
function(kestrova_gzip input output)
  add_custom_command(OUTPUT ${output} COMMAND sh -c "gzip -9n -c '${input}' > '${output}'" DEPENDS ${input} VERBATIM)
endfunction()
kestrova_gzip(${CMAKE_SOURCE_DIR}/packaging/kestrova.6 ${CMAKE_BINARY_DIR}/packaging/kestrova.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/kestrova.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT common)

include(packaging/debian/package.cmake)
add_custom_target(kestrova_docs DEPENDS ${CMAKE_BINARY_DIR}/packaging/kestrova.6.gz
                  ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
# Built with the program, so that whatever installs the program finds them.
add_dependencies(kestrova kestrova_docs)
