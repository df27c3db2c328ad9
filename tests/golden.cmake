# Golden runs: long scripted games whose state digests every second must stay
# as they are kept in tests/golden (GOLDEN_UPDATE=1 golden_test.sh ... writes
# them anew after a deliberate change of behaviour).
add_test(NAME golden
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/golden/golden_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR})
set_tests_properties(golden PROPERTIES LABELS slow)
