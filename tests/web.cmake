# The web build's pieces that can be checked natively. Its CP932 conversion,
# generated from this machine's iconv, against that iconv:
set(WEB_CP932_TABLE ${CMAKE_BINARY_DIR}/generated/cp932_table.cpp)
add_custom_command(
  OUTPUT ${WEB_CP932_TABLE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND gen-cp932-table ${WEB_CP932_TABLE}
  DEPENDS gen-cp932-table
  COMMENT "Writing the CP932 table")
add_executable(web_cp932_test web_cp932.cpp ${CMAKE_SOURCE_DIR}/platform/web/cp932_convert.cpp ${WEB_CP932_TABLE})
target_include_directories(web_cp932_test PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(web_cp932_test PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(web_cp932_test PRIVATE GTest::gtest_main)
gtest_discover_tests(web_cp932_test DISCOVERY_TIMEOUT 60)

# The tunes of the web build are cut to their MIDI files' lengths.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME web_render_music COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/web/render_music_test.py)
endif()

# The game as a web page in a real headless Chromium (label "browser"): builds
# the site with Emscripten (the libraries once, kept in ~/.cache/tessivane),
# serves it and plays it through the DevTools protocol. Long the first time.
add_test(NAME web_browser
  COMMAND ${CMAKE_SOURCE_DIR}/tests/web/browser_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(web_browser PROPERTIES LABELS "browser" TIMEOUT 3600 RUN_SERIAL TRUE)

# Every golden replay verified by the web build (WebAssembly, under node) as
# by the native one (label "browser"; shares the browser test's web build, so
# the two never run at once).
add_test(NAME web_verify_replays
  COMMAND ${CMAKE_SOURCE_DIR}/tests/web/verify_wasm_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(web_verify_replays PROPERTIES LABELS "browser" TIMEOUT 3600 RUN_SERIAL TRUE)

# The touch controls of the web build, turned into key states.
add_executable(web_touch_test web_touch.cpp ${CMAKE_SOURCE_DIR}/platform/web/web_touch.cpp)
target_compile_options(web_touch_test PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(web_touch_test PRIVATE tessivane_test_support GTest::gtest_main)
gtest_discover_tests(web_touch_test DISCOVERY_TIMEOUT 60 PROPERTIES LABELS fast)
