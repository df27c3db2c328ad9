# The replay-loader fuzzer (tools/fuzz_replay), run for a short fixed budget
# (tessivane_fuzz_test in tests/CMakeLists.txt).
tessivane_fuzz_test(fuzz_replay -max_total_time=20 -runs=2000000 -seed=1 -rss_limit_mb=1024 -max_len=4096
    -dict=${CMAKE_SOURCE_DIR}/tools/fuzz_replay/replay.dict)
