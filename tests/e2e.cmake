# Whole games replayed through tessivane-headless.
add_test(NAME e2e_games
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/e2e_test.sh $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR})
set_tests_properties(e2e_games PROPERTIES LABELS slow)
