# No system trigonometry in game code, and no contraction or fast-math in any
# compile (world/trig.h).
add_test(NAME system_math COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/system_math_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
set_tests_properties(system_math PROPERTIES LABELS fast)
