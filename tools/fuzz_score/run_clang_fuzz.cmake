# Configures a clang build of the project in BUILD_DIR, builds a fuzzer there
# (FUZZER, default the score-file fuzzer) and runs it with FUZZ_ARGS
# (cmake -P script).
if(NOT FUZZER)
  set(FUZZER fuzz_score)
endif()
set(ENV{CC} ${CC})
set(ENV{CXX} ${CXX})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -DCMAKE_BUILD_TYPE=RelWithDebInfo
          -DTESSIVANE_TESTS=OFF -DTESSIVANE_BENCH=OFF
  RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring the clang build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${FUZZER} -j2 RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "building the fuzzer failed")
endif()
execute_process(COMMAND ${BUILD_DIR}/${FUZZER} ${FUZZ_ARGS} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the fuzzer found a fault (exit ${rc})")
endif()
