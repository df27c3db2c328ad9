# tessivane-headless as a whole program: same arguments, same bytes; the
# input script, dumps and pictures; bad scripts refused.
add_test(NAME headless_tool
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/headless_tool_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR}/Qapo.map)
set_tests_properties(headless_tool PROPERTIES LABELS fast)
