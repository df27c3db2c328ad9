# The synthesiser's test needs the synthesiser, and gen-sfx itself to run.
if(TARGET sound_generator_test)
  target_link_libraries(sound_generator_test PRIVATE tessivane_sfx)
  add_dependencies(sound_generator_test gen_sfx)
endif()
