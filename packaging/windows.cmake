# What a Windows player gets, from one set of install rules: the program, the
# DLLs it needs that Windows does not have, README.txt and the third-party
# notices, side by side in one folder. From these rules the build packs the
# portable zip, dist/kestrova-windows-x86_64.zip, and CPack's NSIS generator
# (scripts/build-windows.sh runs cpack) the installer,
# kestrova-<version>-setup.exe, whose script is packaging/windows-nsis.
set(KESTROVA_WINDOWS_DLLS "" CACHE STRING "DLLs the program needs beside it (full paths)")
set(KESTROVA_WINDOWS_README ${CMAKE_SOURCE_DIR}/packaging/windows-readme.txt)
set(KESTROVA_WINDOWS_NOTICES ${CMAKE_SOURCE_DIR}/packaging/notices/THIRD-PARTY-NOTICES-windows.txt)

# Players get no debugging symbols (a third of the size). Stripped here once,
# so that the zip and the installer hold the same bytes: strip stamps the time.
set(KESTROVA_STRIPPED ${CMAKE_BINARY_DIR}/stripped/kestrova.exe)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/stripped)
add_custom_command(
  OUTPUT ${KESTROVA_STRIPPED}
  COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${KESTROVA_STRIPPED} $<TARGET_FILE:kestrova>
  DEPENDS kestrova
  VERBATIM)
install(PROGRAMS ${KESTROVA_STRIPPED} DESTINATION .)
if(KESTROVA_WINDOWS_DLLS)
  install(FILES ${KESTROVA_WINDOWS_DLLS} DESTINATION .)
endif()
install(FILES ${KESTROVA_WINDOWS_README} DESTINATION . RENAME README.txt)
install(FILES ${KESTROVA_WINDOWS_NOTICES} DESTINATION . RENAME THIRD-PARTY-NOTICES.txt)

set(KESTROVA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(KESTROVA_ZIP ${KESTROVA_DIST_DIR}/kestrova-windows-x86_64.zip)
set(KESTROVA_ZIP_DIR ${KESTROVA_DIST_DIR}/kestrova)
add_custom_command(
  OUTPUT ${KESTROVA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESTROVA_ZIP_DIR} ${KESTROVA_ZIP}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${KESTROVA_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E chdir ${KESTROVA_DIST_DIR} ${CMAKE_COMMAND} -E tar cf ${KESTROVA_ZIP} --format=zip kestrova
  DEPENDS ${KESTROVA_STRIPPED} ${KESTROVA_WINDOWS_README} ${KESTROVA_WINDOWS_NOTICES} ${KESTROVA_WINDOWS_DLLS}
  COMMENT "Packing ${KESTROVA_ZIP}"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${KESTROVA_ZIP})

# The installer: for the player alone, without administrator rights, into
# %LOCALAPPDATA%\Programs\Kestrova, with a Start-menu shortcut that starts the
# game in %LOCALAPPDATA%\Kestrova, where it keeps its results, and an entry
# among the installed apps whose uninstaller leaves those results be.
set(CPACK_GENERATOR NSIS)
set(CPACK_PACKAGE_NAME Kestrova)
set(CPACK_PACKAGE_VENDOR "Kestrova developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME kestrova-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Kestrova)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Kestrova)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Values reach the script as written here: one backslash is one backslash.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_NSIS_PACKAGE_NAME Kestrova)
set(CPACK_NSIS_DISPLAY_NAME Kestrova)
set(CPACK_NSIS_INSTALLED_ICON_NAME kestrova.exe)
set(CPACK_NSIS_UNINSTALL_NAME Uninstall)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/packaging/icons/kestrova.ico)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Our script (packaging/windows-nsis/NSIS.template.in) in place of CPack's,
# which asks for administrator rights and writes to the machine's registry.
set(CPACK_MODULE_PATH ${CMAKE_SOURCE_DIR}/packaging/windows-nsis)
include(CPack)
