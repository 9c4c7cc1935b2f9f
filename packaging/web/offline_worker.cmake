# cmake -DDIST=<dist> -DTEMPLATE=<app/web/offline_worker.js> -P offline_worker.cmake
# Writes DIST/offline_worker.js from the template: every other file in DIST
# with its SHA-256, and the build's version, a hash of them all and of the
# worker's own code. Run after the link, when DIST is complete.
if(NOT IS_DIRECTORY "${DIST}" OR NOT EXISTS "${TEMPLATE}")
  message(FATAL_ERROR "offline_worker.cmake: needs DIST (a folder) and TEMPLATE")
endif()
get_filename_component(DIST "${DIST}" ABSOLUTE)
file(GLOB names LIST_DIRECTORIES false RELATIVE "${DIST}" "${DIST}/*")
list(REMOVE_ITEM names offline_worker.js)
if(NOT names)
  message(FATAL_ERROR "offline_worker.cmake: nothing in ${DIST} to keep")
endif()
list(SORT names)
file(SHA256 "${TEMPLATE}" all)
set(KESTROVA_OFFLINE_FILES "")
foreach(name IN LISTS names)
  file(SHA256 "${DIST}/${name}" hash)
  string(APPEND KESTROVA_OFFLINE_FILES "  ['${name}', '${hash}'],\n")
  string(APPEND all " ${hash} ${name}")
endforeach()
string(SHA256 version "${all}")
string(SUBSTRING "${version}" 0 16 KESTROVA_OFFLINE_VERSION)
configure_file("${TEMPLATE}" "${DIST}/offline_worker.js" @ONLY)
