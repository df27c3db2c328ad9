# The tune compiler's test needs the compiler itself.
if(TARGET music_mml_test)
  target_link_libraries(music_mml_test PRIVATE tessivane_mml)
endif()

# The SDL music device rendered through SDL's disk audio driver: the real
# back-end, so it links the SDL platform instead of the headless one.
add_executable(music_device_sdl_test ${CMAKE_CURRENT_LIST_DIR}/music_device_sdl.cpp)
target_compile_options(music_device_sdl_test PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(music_device_sdl_test PRIVATE
  tessivane_core tessivane_platform_sdl
  tessivane_mml GTest::gtest_main)
target_compile_definitions(music_device_sdl_test PRIVATE TESSIVANE_BUILD_DIR="${CMAKE_BINARY_DIR}")
add_dependencies(music_device_sdl_test tessivane_assets)
# Real-time audio: run alone so that a loaded machine does not skew its timing.
gtest_discover_tests(music_device_sdl_test WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60
  PROPERTIES RUN_SERIAL TRUE LABELS slow)
