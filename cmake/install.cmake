# An installed copy: the game with its map, music and sound effects in a
# folder of its own (lib/tessivane), a launcher on the PATH, a desktop entry
# and icons. The score file goes to the player's data folder when that folder
# is read-only.
include(GNUInstallDirs)
set(TESSIVANE_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/tessivane)

install(TARGETS tessivane RUNTIME DESTINATION ${TESSIVANE_INSTALL_DIR})
install(FILES ${TESSIVANE_OUT_DIR}/Qapo.map DESTINATION ${TESSIVANE_INSTALL_DIR})
install(DIRECTORY ${TESSIVANE_OUT_DIR}/QapoMidi DESTINATION ${TESSIVANE_INSTALL_DIR} OPTIONAL)
install(DIRECTORY ${TESSIVANE_OUT_DIR}/sounds DESTINATION ${TESSIVANE_INSTALL_DIR} OPTIONAL)

# The launcher: a relative link, so the game finds its files beside itself.
install(CODE "
  set(bindir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(MAKE_DIRECTORY \"\${bindir}\")
  file(CREATE_LINK \"../${TESSIVANE_INSTALL_DIR}/tessivane\" \"\${bindir}/tessivane\" SYMBOLIC)
  message(STATUS \"Installing: \${bindir}/tessivane\")
")

install(FILES ${CMAKE_SOURCE_DIR}/assets/tessivane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# Replay files (*.tvreplay) open in the game from a file manager.
install(FILES ${CMAKE_SOURCE_DIR}/assets/tessivane-replay.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
foreach(size 64 128 256)
  install(FILES ${CMAKE_BINARY_DIR}/generated/icons/tessivane-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME tessivane.png OPTIONAL)
endforeach()
