# The score-file fuzzer, run for a short fixed budget.
# With clang as the compiler it is part of this build (tools/fuzz_score).
# Otherwise, when clang is installed, the test configures a clang build of its
# own beside this one, builds only the fuzzer there and runs it; without clang
# the test is not registered.
set(TESSIVANE_FUZZ_ARGS -max_total_time=20 -runs=3000000 -seed=1 -rss_limit_mb=1024 -max_len=327800)
if(TARGET fuzz_score)
  add_test(NAME fuzz_score COMMAND fuzz_score ${TESSIVANE_FUZZ_ARGS})
  set_tests_properties(fuzz_score PROPERTIES LABELS slow)
else()
  find_program(TESSIVANE_CLANG clang)
  find_program(TESSIVANE_CLANGXX clang++)
  if(TESSIVANE_CLANG AND TESSIVANE_CLANGXX)
    set(fuzz_dir ${CMAKE_BINARY_DIR}/fuzz-clang)
    add_test(NAME fuzz_score_clang COMMAND ${CMAKE_COMMAND}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUILD_DIR=${fuzz_dir}
      -DCC=${TESSIVANE_CLANG} -DCXX=${TESSIVANE_CLANGXX}
      "-DFUZZ_ARGS=${TESSIVANE_FUZZ_ARGS}"
      -P ${CMAKE_SOURCE_DIR}/tools/fuzz_score/run_clang_fuzz.cmake)
    set_tests_properties(fuzz_score_clang PROPERTIES TIMEOUT 300 LABELS slow)
  endif()
endif()
