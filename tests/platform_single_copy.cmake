# The real game's single-copy claim: a second copy is refused while the first
# runs, and a copy that died (killed) does not lock the player out.
add_test(NAME platform_single_copy
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/platform_single_copy_test.sh $<TARGET_FILE:tessivane>)
set_tests_properties(platform_single_copy PROPERTIES LABELS fast)
