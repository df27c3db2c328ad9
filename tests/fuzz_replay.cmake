# The replay-loader fuzzer, run for a short fixed budget, built as the
# score-file fuzzer is (tests/fuzz_score.cmake): in this build with clang, else
# in a clang build of its own when clang is installed.
set(TESSIVANE_FUZZ_REPLAY_ARGS -max_total_time=20 -runs=2000000 -seed=1 -rss_limit_mb=1024 -max_len=4096
    -dict=${CMAKE_SOURCE_DIR}/tools/fuzz_replay/replay.dict)
if(TARGET fuzz_replay)
  add_test(NAME fuzz_replay COMMAND fuzz_replay ${TESSIVANE_FUZZ_REPLAY_ARGS})
else()
  find_program(TESSIVANE_CLANG clang)
  find_program(TESSIVANE_CLANGXX clang++)
  if(TESSIVANE_CLANG AND TESSIVANE_CLANGXX)
    add_test(NAME fuzz_replay_clang COMMAND ${CMAKE_COMMAND}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DBUILD_DIR=${CMAKE_BINARY_DIR}/fuzz-clang-replay
      -DCC=${TESSIVANE_CLANG} -DCXX=${TESSIVANE_CLANGXX} -DFUZZER=fuzz_replay
      "-DFUZZ_ARGS=${TESSIVANE_FUZZ_REPLAY_ARGS}"
      -P ${CMAKE_SOURCE_DIR}/tools/fuzz_score/run_clang_fuzz.cmake)
    set_tests_properties(fuzz_replay_clang PROPERTIES TIMEOUT 300)
  endif()
endif()
