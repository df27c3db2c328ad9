# The score server as a whole (label "server"): real server processes on
# 127.0.0.1, real replays verified by tessivane-headless --verify, SQLite and a
# PostgreSQL cluster each test starts for itself (tests/server/).
find_package(Python3 COMPONENTS Interpreter)
if(TARGET tessivane-server AND Python3_FOUND)
  set(TESSIVANE_SERVER_TEST ${CMAKE_CURRENT_SOURCE_DIR}/server/server_test.py)
  set(TESSIVANE_SERVER_ENV TESSIVANE_BUILD_DIR=${CMAKE_BINARY_DIR} TESSIVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR})
  foreach(group SqliteBoard Abuse PostgresqlBoard TwoServersOnePostgresql BoardPageInChromium KilledAtRandom
                LongReplay)
    add_test(NAME server_${group} COMMAND ${Python3_EXECUTABLE} ${TESSIVANE_SERVER_TEST} ${group})
    set_tests_properties(server_${group} PROPERTIES ENVIRONMENT "${TESSIVANE_SERVER_ENV}" LABELS server TIMEOUT 600)
  endforeach()
  set_tests_properties(server_KilledAtRandom server_LongReplay PROPERTIES LABELS "server;slow")
  # "watch" (tests/server/watch_test.js, run by hand with the web build made:
  # server_test.py WatchInChromium) is not registered yet: the web build stops
  # a desktop-recorded replay at its first readings (the web start-up reads the
  # seed where the desktop's reads the key bindings).
endif()
