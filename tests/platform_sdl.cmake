# The player's back-end, run with SDL's dummy video driver.
add_executable(platform_sdl_test ${CMAKE_CURRENT_SOURCE_DIR}/sdl/platform_sdl_test.cpp)
target_compile_options(platform_sdl_test PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(platform_sdl_test PRIVATE
  tessivane_core tessivane_platform_sdl GTest::gtest_main GTest::gtest)
add_dependencies(platform_sdl_test tessivane_assets)
gtest_discover_tests(platform_sdl_test WORKING_DIRECTORY ${CMAKE_BINARY_DIR} DISCOVERY_TIMEOUT 60
  PROPERTIES LABELS fast ENVIRONMENT SDL_VIDEODRIVER=dummy)
