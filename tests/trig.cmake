# The game's sine and cosine (world/trig.h). gen-trig-tables writes, with
# MPFR, the expected value of every argument the game passes; trig_test holds
# the native build to them and to tests/trig_tables.txt, and the
# trig_tables_* tests other builds (the WebAssembly one among them).
find_path(MPFR_INCLUDE_DIR mpfr.h REQUIRED)
find_library(MPFR_LIBRARY mpfr REQUIRED)
find_library(GMP_LIBRARY gmp REQUIRED)
add_executable(gen-trig-tables ${CMAKE_SOURCE_DIR}/tools/trig_tables/gen_trig_tables.cpp)
target_include_directories(gen-trig-tables PRIVATE ${CMAKE_SOURCE_DIR} ${MPFR_INCLUDE_DIR})
target_compile_options(gen-trig-tables PRIVATE ${TESSIVANE_WARNINGS})
target_link_libraries(gen-trig-tables PRIVATE ${MPFR_LIBRARY} ${GMP_LIBRARY})

set(TRIG_EXPECTED ${CMAKE_BINARY_DIR}/generated/trig_expected.bin)
add_custom_command(OUTPUT ${TRIG_EXPECTED}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND gen-trig-tables expected ${TRIG_EXPECTED}
  DEPENDS gen-trig-tables
  COMMENT "Writing the expected sines and cosines")
add_custom_target(trig_expected ALL DEPENDS ${TRIG_EXPECTED})

add_dependencies(trig_test trig_expected)
target_include_directories(trig_test PRIVATE ${MPFR_INCLUDE_DIR})
target_link_libraries(trig_test PRIVATE ${MPFR_LIBRARY} ${GMP_LIBRARY})
target_compile_definitions(trig_test PRIVATE TRIG_EXPECTED="${TRIG_EXPECTED}")

# The same check built by other compilers and settings than this build's:
# GCC and Clang unoptimised and optimised for this machine, and Emscripten
# under node (label "web").
foreach(name gcc-debug gcc-native clang-debug clang-native wasm)
  add_test(NAME trig_tables_${name}
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/trig_tables_builds.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR} ${name})
endforeach()
set_tests_properties(trig_tables_gcc-debug trig_tables_gcc-native trig_tables_clang-debug trig_tables_clang-native
  PROPERTIES LABELS slow TIMEOUT 600)
set_tests_properties(trig_tables_wasm PROPERTIES LABELS web TIMEOUT 900)
