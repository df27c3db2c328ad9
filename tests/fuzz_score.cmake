# The score-file fuzzer (tools/fuzz_score), run for a short fixed budget
# (tessivane_fuzz_test in tests/CMakeLists.txt).
tessivane_fuzz_test(fuzz_score -max_total_time=20 -runs=3000000 -seed=1 -rss_limit_mb=1024 -max_len=327800)
