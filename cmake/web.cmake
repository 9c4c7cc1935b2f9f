# The program for the browser: kestrova.js and kestrova.wasm beside our own
# page in dist/, which any static web server can serve as it is (no threads,
# so no special headers).
add_executable(kestrova app/main.cpp)
target_link_libraries(kestrova PRIVATE kestrova_game)
set(KESTROVA_DIST ${CMAKE_BINARY_DIR}/dist)
set_target_properties(kestrova PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KESTROVA_DIST} SUFFIX .js)
target_link_options(kestrova PRIVATE
  # GetMessageA, Sleep and the modal loops block as on the other systems;
  # Asyncify unwinds them to give the browser its turn and winds them back.
  # The window procedures sit deep below the loop, hence the larger stack.
  -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH
  # Nothing of the program below 64 KiB, as on the old platform: a pointer
  # there would pass for a resource number (IS_INTRESOURCE, MAKEINTRESOURCEA).
  -sGLOBAL_BASE=65536
  # The page starts the program itself, with the canvas it gives.
  -sENVIRONMENT=web
)
configure_file(${CMAKE_SOURCE_DIR}/app/kestrova_web.html ${KESTROVA_DIST}/index.html COPYONLY)
