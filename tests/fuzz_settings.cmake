# The settings round-trip fuzzer, run for a short fixed budget, built as the
# score-file fuzzer is (tests/fuzz_score.cmake): in this build with clang, else
# in a clang build of its own when clang is installed.
set(TESSIVANE_FUZZ_SETTINGS_ARGS -max_total_time=20 -runs=3000000 -seed=1 -rss_limit_mb=1024 -max_len=4096)
if(TARGET fuzz_settings)
  add_test(NAME fuzz_settings COMMAND fuzz_settings ${TESSIVANE_FUZZ_SETTINGS_ARGS})
  set_tests_properties(fuzz_settings PROPERTIES LABELS slow)
else()
  find_program(TESSIVANE_CLANG clang)
  find_program(TESSIVANE_CLANGXX clang++)
  if(TESSIVANE_CLANG AND TESSIVANE_CLANGXX)
    add_test(NAME fuzz_settings_clang COMMAND ${CMAKE_COMMAND}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUILD_DIR=${CMAKE_BINARY_DIR}/fuzz-clang-settings
      -DCC=${TESSIVANE_CLANG} -DCXX=${TESSIVANE_CLANGXX} -DFUZZER=fuzz_settings
      "-DFUZZ_ARGS=${TESSIVANE_FUZZ_SETTINGS_ARGS}"
      -P ${CMAKE_SOURCE_DIR}/tools/fuzz_score/run_clang_fuzz.cmake)
    set_tests_properties(fuzz_settings_clang PROPERTIES TIMEOUT 300 LABELS slow)
  endif()
endif()
