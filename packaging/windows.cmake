# The Windows player's zip: the program, the DLLs it needs that Windows does
# not have, and a short README.txt.
set(KESTROVA_WINDOWS_DLLS "" CACHE STRING "DLLs the program needs beside it (full paths)")
set(KESTROVA_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(KESTROVA_ZIP ${KESTROVA_DIST_DIR}/kestrova-windows-x86_64.zip)
set(KESTROVA_ZIP_DIR ${KESTROVA_DIST_DIR}/kestrova)
add_custom_command(
  OUTPUT ${KESTROVA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESTROVA_ZIP_DIR} ${KESTROVA_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTROVA_ZIP_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:kestrova> ${KESTROVA_WINDOWS_DLLS} ${KESTROVA_ZIP_DIR}
  # Players get no debugging symbols: a third of the size.
  COMMAND ${CMAKE_STRIP} --strip-unneeded ${KESTROVA_ZIP_DIR}/kestrova.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/windows-readme.txt ${KESTROVA_ZIP_DIR}/README.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${KESTROVA_DIST_DIR} ${CMAKE_COMMAND} -E tar cf ${KESTROVA_ZIP} --format=zip kestrova
  DEPENDS kestrova ${CMAKE_SOURCE_DIR}/packaging/windows-readme.txt ${KESTROVA_WINDOWS_DLLS}
  COMMENT "Packing ${KESTROVA_ZIP}"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${KESTROVA_ZIP})
