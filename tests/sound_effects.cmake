# The synthesiser's test needs the synthesiser, and gen-sfx itself to run.
if(TARGET sound_generator_test)
  target_link_libraries(sound_generator_test PRIVATE tessivane_sfx)
  add_dependencies(sound_generator_test gen_sfx)
endif()

# The SDL back-end's effects rendered through SDL's disk audio driver, over
# the music: the real back-end, so it links the SDL platform.
add_executable(sound_effects_device_sdl_test ${CMAKE_CURRENT_LIST_DIR}/sound_effects_device_sdl.cpp)
target_compile_options(sound_effects_device_sdl_test PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(sound_effects_device_sdl_test PRIVATE
  tessivane_core tessivane_platform_sdl GTest::gtest_main)
add_dependencies(sound_effects_device_sdl_test tessivane_assets)
# Real-time audio: run alone so that a loaded machine does not skew its timing.
gtest_discover_tests(sound_effects_device_sdl_test WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60
  PROPERTIES RUN_SERIAL TRUE)

# The effects of a scripted game through tessivane-headless, and everything
# else the same with them off.
add_test(NAME sound_effects_tool
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/sound_effects_tool_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR})
