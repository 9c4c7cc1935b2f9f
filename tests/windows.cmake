# The tests the Windows build runs under Wine and the browser build under node
# and in Chromium: game logic, scene objects, Retained Mode and its pictures,
# the score file, whole games. Their sources are the Linux build's; what
# differs by system sits behind tests/support.
kestrova_test(app_view_manager_test SOURCES app/view_manager_test.cpp)
kestrova_test(render_camera_rig_test SOURCES render/camera_rig_test.cpp)
kestrova_test(render_device_choice_test SOURCES render/device_choice_test.cpp)
kestrova_test(ddraw_object_test SOURCES ddraw/direct_draw_test.cpp)
set(model_apart_test)
if(WIN32)
  set(model_apart_test d3drm/model_apart_win32_test.cpp)
endif()
kestrova_test(d3drm_scene_tests SOURCES
  d3drm/frame_test.cpp
  d3drm/model_load_test.cpp
  ${model_apart_test}
  d3drm/mesh_lighting_test.cpp
  d3drm/vector_test.cpp
)
kestrova_test(d3drm_render_tests SOURCES
  d3drm/viewport_test.cpp
  d3drm/picture_test.cpp
  d3drm/tick_redraw_test.cpp
)
kestrova_test(scene_object_tests SOURCES
  scene/scene_object_test.cpp
  scene/ball_test.cpp
  scene/digit_display_test.cpp
  scene/racket_brick_test.cpp
  scene/court_test.cpp
  scene/scene_load_test.cpp
)
kestrova_test(scores_tests SOURCES
  scores/score_file_test.cpp
  scores/result_line_test.cpp
)
kestrova_test(sound_midi_player_no_device_test SOURCES sound/midi_player_no_device_test.cpp)
# Whole games through the main window's messages; they take turns, since a
# window of another test taking the focus would pause the game.
kestrova_test(game_tests SOURCES
  game/game_view_test.cpp
  game/whole_game_test.cpp
)
set_tests_properties(game_tests PROPERTIES RUN_SERIAL TRUE)

# The rest reads the Windows program and its WGL contexts.
if(NOT WIN32)
  return()
endif()

# The program's version, icon and manifest, read back as Windows reads them.
kestrova_test(app_program_resources_test SOURCES app/program_resources_test.cpp)
target_compile_definitions(app_program_resources_test PRIVATE KESTROVA_PROGRAM="$<TARGET_FILE:kestrova>"
  KESTROVA_VERSION="${PROJECT_VERSION}")
target_link_libraries(app_program_resources_test PRIVATE version)
add_dependencies(app_program_resources_test kestrova)
kestrova_test(gl_context_wgl_test SOURCES gl/context_wgl_test.cpp)

# The program's imports, read from the file itself.
add_test(NAME windows_imports COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DPROGRAM=$<TARGET_FILE:kestrova>
         -P ${CMAKE_CURRENT_SOURCE_DIR}/windows_imports.cmake)
set_tests_properties(windows_imports PROPERTIES LABELS unit)
