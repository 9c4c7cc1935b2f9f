# kestrova_web_program(target [ENVIRONMENT web|node|web,node])
# How every program for the browser links, the game's and its tests' alike.
# The environment is the page (web) unless given: tests that need no window
# run under node.
function(kestrova_web_program target)
  cmake_parse_arguments(W "" "ENVIRONMENT" "" ${ARGN})
  if(NOT W_ENVIRONMENT)
    set(W_ENVIRONMENT web)
  endif()
  set_target_properties(${target} PROPERTIES SUFFIX .js)
  target_link_options(${target} PRIVATE
    # GetMessageA, Sleep and the modal loops block as on the other systems;
    # Asyncify unwinds them to give the browser its turn and winds them back.
    # The window procedures sit deep below the loop, hence the larger stack.
    -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144
    -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
    -sALLOW_MEMORY_GROWTH
    # Nothing of the program below 64 KiB, as on the old platform: a pointer
    # there would pass for a resource number (IS_INTRESOURCE, MAKEINTRESOURCEA).
    -sGLOBAL_BASE=65536
    -sENVIRONMENT=${W_ENVIRONMENT}
  )
endfunction()

# The program for the browser: kestrova.js and kestrova.wasm beside our own
# page in dist/, which any static web server can serve as it is (no threads,
# so no special headers). The page starts the program itself, with the canvas
# it gives.
add_executable(kestrova app/main.cpp)
target_link_libraries(kestrova PRIVATE kestrova_game)
set(KESTROVA_DIST ${CMAKE_BINARY_DIR}/dist)
set_target_properties(kestrova PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTROVA_DIST})
kestrova_web_program(kestrova)
# Each game is a fresh instance of the program, made by the page.
target_link_options(kestrova PRIVATE -sMODULARIZE -sEXPORT_NAME=createKestrova)
configure_file(${CMAKE_SOURCE_DIR}/app/kestrova_web.html ${KESTROVA_DIST}/index.html COPYONLY)
configure_file(${CMAKE_SOURCE_DIR}/packaging/notices/LICENSES-web.txt ${KESTROVA_DIST}/LICENSES COPYONLY)
# The page's synthesiser (js-synthesizer, installed into packaging/web by
# scripts/build-web.sh) and Debian's General MIDI sound font, beside the page.
set(KESTROVA_SYNTH ${CMAKE_SOURCE_DIR}/packaging/web/node_modules/js-synthesizer)
foreach(file ${KESTROVA_SYNTH}/externals/libfluidsynth-2.4.6.js ${KESTROVA_SYNTH}/dist/js-synthesizer.min.js
        ${KESTROVA_SYNTH}/dist/js-synthesizer.worklet.min.js /usr/share/sounds/sf2/TimGM6mb.sf2)
  get_filename_component(name ${file} NAME)
  configure_file(${file} ${KESTROVA_DIST}/${name} COPYONLY)
  set_property(TARGET kestrova APPEND PROPERTY LINK_DEPENDS ${file})
endforeach()
# The page's own files (app/web): its offline script, the manifest and the
# icons (drawn by packaging/make_icons.py).
foreach(name offline.js kestrova.webmanifest kestrova-192.png kestrova-512.png kestrova-maskable-512.png)
  configure_file(${CMAKE_SOURCE_DIR}/app/web/${name} ${KESTROVA_DIST}/${name} COPYONLY)
  set_property(TARGET kestrova APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/app/web/${name})
endforeach()
# The offline worker holds the hash of every file in dist/, so it is written
# after the link, when they are all there; each of them is an input of the
# link (LINK_DEPENDS above and here), so a change to any writes it again.
add_custom_command(TARGET kestrova POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DDIST=${KESTROVA_DIST} -DTEMPLATE=${CMAKE_SOURCE_DIR}/app/web/offline_worker.js
          -P ${CMAKE_SOURCE_DIR}/packaging/web/offline_worker.cmake)
set_property(TARGET kestrova APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/app/kestrova_web.html
             ${CMAKE_SOURCE_DIR}/packaging/notices/LICENSES-web.txt ${KESTROVA_DIST}/kestrova_model_reader.js
             ${CMAKE_SOURCE_DIR}/app/web/offline_worker.js ${CMAKE_SOURCE_DIR}/packaging/web/offline_worker.cmake)
