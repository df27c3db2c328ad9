# Random games recorded and played back (tests/replay/roundtrip_test.sh), and
# the kept replays of tests/golden played against their digests.
add_test(NAME replay_roundtrip
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replay/roundtrip_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR} 20)
set_tests_properties(replay_roundtrip PROPERTIES TIMEOUT 600)
add_test(NAME golden_replays
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/golden/replay_golden_test.sh
          $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR})
find_program(TESSIVANE_FFPROBE ffprobe)
if(TESSIVANE_FFPROBE)
  add_test(NAME replay_video
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replay/video_test.sh $<TARGET_FILE:tessivane-headless>
            ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/golden/replays/stage_clear.tvreplay)
endif()
add_test(NAME replay_list
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replay/list_test.sh $<TARGET_FILE:tessivane-headless>
          ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/golden)
