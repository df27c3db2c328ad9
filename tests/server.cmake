# The score server as a whole (label "server"): real server processes on
# 127.0.0.1, real replays verified by tessivane-headless --verify, SQLite and a
# PostgreSQL cluster each test starts for itself (tests/server/).
find_package(Python3 COMPONENTS Interpreter)
if(TARGET tessivane-server AND Python3_FOUND)
  set(TESSIVANE_SERVER_TEST ${CMAKE_CURRENT_SOURCE_DIR}/server/server_test.py)
  set(TESSIVANE_SERVER_ENV TESSIVANE_BUILD_DIR=${CMAKE_BINARY_DIR} TESSIVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR})
  foreach(group SqliteBoard Abuse PostgresqlBoard TwoServersOnePostgresql BoardPageInChromium KilledAtRandom
                LongReplay OnlineScores)
    add_test(NAME server_${group} COMMAND ${Python3_EXECUTABLE} ${TESSIVANE_SERVER_TEST} ${group})
    set_tests_properties(server_${group} PROPERTIES ENVIRONMENT "${TESSIVANE_SERVER_ENV}" LABELS server TIMEOUT 600)
  endforeach()
  set_tests_properties(server_KilledAtRandom server_LongReplay PROPERTIES LABELS "server;slow")
  # "watch": the web build, served by the server, plays a ranked replay in
  # headless Chromium. It builds the web site as the browser tests do and
  # shares their build folder, so it never runs beside them.
  add_test(NAME server_WatchInChromium
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/server/watch_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  set_tests_properties(server_WatchInChromium PROPERTIES ENVIRONMENT "${TESSIVANE_SERVER_ENV}"
                       LABELS "server;browser" TIMEOUT 3600 RUN_SERIAL TRUE SKIP_RETURN_CODE 77)
endif()
