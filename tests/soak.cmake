# The soak: hours of game time with random input through tessivane-headless
# built with AddressSanitizer and UndefinedBehaviorSanitizer (its own build
# folder, configured and built by the test), and a memory check on a long run.
add_executable(soak_make_script ${CMAKE_CURRENT_SOURCE_DIR}/soak/make_script.cpp)
add_executable(soak_peak_rss ${CMAKE_CURRENT_SOURCE_DIR}/soak/peak_rss.cpp)
target_compile_options(soak_make_script PRIVATE ${TESSIVANE_WARNINGS})
target_compile_options(soak_peak_rss PRIVATE ${TESSIVANE_WARNINGS})

add_test(NAME soak
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/soak/soak.sh
    --source ${CMAKE_SOURCE_DIR} --asan-build ${CMAKE_BINARY_DIR}/build-asan
    --generator ${CMAKE_GENERATOR} --cc ${CMAKE_C_COMPILER} --cxx ${CMAKE_CXX_COMPILER}
    --headless $<TARGET_FILE:tessivane-headless> --map ${CMAKE_BINARY_DIR}/Qapo.map
    --make-script $<TARGET_FILE:soak_make_script> --peak-rss $<TARGET_FILE:soak_peak_rss>)
# The first run builds the sanitized tool (a few minutes on two cores).
set_tests_properties(soak PROPERTIES TIMEOUT 2400 LABELS slow)
