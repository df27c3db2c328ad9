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
# --verify and --replay-info on the golden replays, a replay of the first
# format, and forged or damaged copies.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME replay_verify
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/replay/verify_test.py
            $<TARGET_FILE:tessivane-headless> ${CMAKE_CURRENT_SOURCE_DIR}/golden/replays
            ${CMAKE_CURRENT_SOURCE_DIR}/replay/format1_stage7.tvreplay)
  set_tests_properties(replay_verify PROPERTIES LABELS "replay" TIMEOUT 300)
endif()
# The replay viewer: seeks forward, back and past the end land on the state
# plain playback has there; its keys pause, step and slow the game.
if(Python3_FOUND)
  add_test(NAME replay_viewer
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/replay/viewer_test.py
            $<TARGET_FILE:tessivane-headless> ${CMAKE_CURRENT_SOURCE_DIR}/golden/replays)
  set_tests_properties(replay_viewer PROPERTIES LABELS "replay" TIMEOUT 300)
endif()
# Practice: a take-over starts from the replay's state and follows the new
# input; practice from the menus never touches the score file and its
# replays are marked practice.
if(Python3_FOUND)
  add_test(NAME replay_practice
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/replay/practice_test.py
            $<TARGET_FILE:tessivane-headless> ${CMAKE_CURRENT_SOURCE_DIR}/golden/replays
            ${CMAKE_BINARY_DIR}/Qapo.map)
  set_tests_properties(replay_practice PROPERTIES LABELS "replay" TIMEOUT 300)
endif()
# A game's replay holds the game, whatever the session did before it.
add_test(NAME replay_long_session
  COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/replay/long_session_test.sh $<TARGET_FILE:tessivane-headless> ${CMAKE_BINARY_DIR})
set_tests_properties(replay_long_session PROPERTIES LABELS "replay" TIMEOUT 300)
