# Layering: platform/ includes no game folder; game sources declare no extern
# outside a header.
add_test(NAME layering COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/layering_test.sh ${CMAKE_SOURCE_DIR})
set_tests_properties(layering PROPERTIES LABELS fast)
