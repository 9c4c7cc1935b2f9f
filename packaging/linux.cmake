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

# What software centres list (AppStream): the version is the project's and the
# release date that of the changelog's newest entry, so neither is typed twice.
# The id is reverse DNS on the project's domain; the menu entry keeps its name,
# which players' panels and favourites already know it by.
set(KESTROVA_APPSTREAM_ID invalid.kestrova.kestrova)
# YYYY-MM-DD from the first trailer line (" -- name <mail>  Wed, 09 Dec 2026 ...").
function(kestrova_release_date changelog out)
  file(STRINGS ${changelog} trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES ", ([0-9]?[0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
    message(FATAL_ERROR "${changelog}: no date in the newest entry: ${trailer}")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(year ${CMAKE_MATCH_3})
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND months ${CMAKE_MATCH_2} month)
  if(month EQUAL -1)
    message(FATAL_ERROR "${changelog}: no such month: ${CMAKE_MATCH_2}")
  endif()
  math(EXPR month "${month} + 1")
  string(REGEX REPLACE "^([0-9])$" "0\\1" month ${month})
  string(REGEX REPLACE "^([0-9])$" "0\\1" day ${day})
  set(${out} ${year}-${month}-${day} PARENT_SCOPE)
endfunction()
kestrova_release_date(${CMAKE_SOURCE_DIR}/packaging/debian/changelog.in KESTROVA_RELEASE_DATE)
set(KESTROVA_METAINFO ${CMAKE_BINARY_DIR}/packaging/${KESTROVA_APPSTREAM_ID}.metainfo.xml)
configure_file(packaging/kestrova.metainfo.xml.in ${KESTROVA_METAINFO} @ONLY)
install(FILES ${KESTROVA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT common)

# The notices of the libraries and the sound font the game runs on, for both layouts.
install(FILES packaging/notices/THIRD-PARTY-NOTICES-linux.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kestrova
        RENAME THIRD-PARTY-NOTICES COMPONENT common)

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
