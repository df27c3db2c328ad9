# The tune compiler's test needs the compiler itself.
if(TARGET music_mml_test)
  target_link_libraries(music_mml_test PRIVATE tessivane_mml)
endif()
