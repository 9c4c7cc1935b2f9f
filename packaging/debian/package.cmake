# The Debian package, built by CPack from the install rules:
# scripts/package-deb.sh builds the program and runs cpack, which gives
# kestrova_<version>_amd64.deb, the version being the project's.
set(KESTROVA_DEBIAN_DIR ${CMAKE_SOURCE_DIR}/packaging/debian)
configure_file(${KESTROVA_DEBIAN_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
kestrova_gzip(${CMAKE_BINARY_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${KESTROVA_DEBIAN_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION share/doc/kestrova COMPONENT debian EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrova)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kestrova developers <dev@kestrova.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "3D ball game: knock the bricks out of a box")
set(CPACK_PACKAGE_DESCRIPTION "You look into an open box full of coloured bricks and hit a ball into it
with a racket that follows the mouse. The ball bounces off the walls,
destroys every brick in its way and comes back to you; five lives, two
levels and a table of the ten best results.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links come from dpkg-shlibdeps; what it loads by
# name it cannot see: OpenGL, the libraries it opens when first needed (the
# packages that hold them here), and a General MIDI sound font where the MIDI
# stand-in looks for one.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(KESTROVA_LATE_PACKAGES "")
get_property(late_libraries GLOBAL PROPERTY KESTROVA_LATE_LIBRARIES)
foreach(library ${late_libraries})
  file(REAL_PATH ${library} file)
  execute_process(COMMAND dpkg-query -S ${file} OUTPUT_VARIABLE owner RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND owner MATCHES "^([^:]+)")
    string(APPEND KESTROVA_LATE_PACKAGES "${CMAKE_MATCH_1}, ")
  endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, ${KESTROVA_LATE_PACKAGES}timgm6mb-soundfont | fluid-soundfont-gm")
# The faces the dialogs' "MS Sans Serif" and "Courier New" map to.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation, fonts-dejavu-core")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# One package of the shared files and Debian's layout; not the plain tree's.
set(CPACK_COMPONENTS_ALL common debian)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
include(CPack)
