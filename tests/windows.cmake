# The Windows build under Wine (label "windows"): cross-builds the zip with
# mingw-w64 (the libraries once, cached in ~/.cache/tessivane), then plays
# golden replays and games recorded on either side with tessivane-headless.exe,
# and drives tessivane.exe in Xvfb. Long the first time.
add_test(NAME windows_wine
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/windows_test.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
          $<TARGET_FILE:window_probe> $<TARGET_FILE:tiny_wm>)
# Exit status 77: no cross compiler, Wine or xvfb-run.
set_tests_properties(windows_wine PROPERTIES LABELS "windows" SKIP_RETURN_CODE 77 TIMEOUT 3600 RUN_SERIAL TRUE)
