# The real-window test: the real game under Xvfb with real key events, looked
# at through its window's pixels. Its helpers: window_probe (list the windows,
# send the close request, measure a window's picture) and tiny_wm (a minimal
# window manager, so fullscreen and focus behave as on a desktop).
# (X11 is found by the top-level build, which needs it.)
add_executable(window_probe ${CMAKE_CURRENT_SOURCE_DIR}/tools/window_probe.cpp)
add_executable(tiny_wm ${CMAKE_CURRENT_SOURCE_DIR}/tools/tiny_wm.cpp)
foreach(tool window_probe tiny_wm)
  target_compile_options(${tool} PRIVATE ${TESSIVANE_WARNINGS})
  target_link_libraries(${tool} PRIVATE X11::X11)
endforeach()
add_test(NAME window
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_test.sh $<TARGET_FILE:tessivane> ${CMAKE_BINARY_DIR}/Qapo.map
          ${CMAKE_BINARY_DIR}/QapoMidi $<TARGET_FILE:window_probe> $<TARGET_FILE:tiny_wm>)
# Exit status 77: xvfb-run is not installed.
set_tests_properties(window PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 LABELS slow)
# The pause, the options and full screen on a 1366 x 768 screen.
add_test(NAME window_comforts
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_comforts_test.sh $<TARGET_FILE:tessivane>
          ${CMAKE_BINARY_DIR}/Qapo.map ${CMAKE_BINARY_DIR}/QapoMidi $<TARGET_FILE:window_probe> $<TARGET_FILE:tiny_wm>)
set_tests_properties(window_comforts PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180 RUN_SERIAL TRUE)
# The replay viewer and practice: pause, seek to stage 2's boss, take over,
# the ship lost, Retry, back to the replay.
add_test(NAME window_viewer
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/window_viewer_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_CURRENT_SOURCE_DIR}/golden/stage7.sco $<TARGET_FILE:tessivane> ${CMAKE_BINARY_DIR}/Qapo.map ${CMAKE_BINARY_DIR}/QapoMidi
          $<TARGET_FILE:window_probe> $<TARGET_FILE:tiny_wm>)
set_tests_properties(window_viewer PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 400 LABELS slow RUN_SERIAL TRUE)
