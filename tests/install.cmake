# The install test: `cmake --install` into a fresh prefix, then check the
# launcher link, the game's own folder (program, map, music, sound effects),
# the desktop entry and the icons, a staged (DESTDIR) install, and that the
# launcher starts the game with its map found.
#
# This file plays two roles: included from tests/CMakeLists.txt it registers
# the test; run with `cmake -P` it is the test.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  add_test(NAME install
    COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-test
            -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(install PROPERTIES LABELS slow)
  return()
endif()

# ---- The test ---------------------------------------------------------------
set(fails 0)
macro(fail message)
  message("FAIL: ${message}")
  math(EXPR fails "${fails} + 1")
endmacro()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/runtime ${WORK_DIR}/home)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${status}):\n${out}")
endif()

# The library folder name follows GNUInstallDirs (lib, or lib64 on some systems).
file(GLOB gamedir LIST_DIRECTORIES true ${prefix}/lib*/tessivane)
if(NOT gamedir)
  message(FATAL_ERROR "no lib*/tessivane folder under the prefix")
endif()

# The launcher: a relative symbolic link to the program in its own folder.
set(launcher ${prefix}/bin/tessivane)
file(REAL_PATH ${gamedir}/tessivane program)
if(NOT IS_SYMLINK ${launcher})
  fail("bin/tessivane is not a symbolic link")
else()
  file(READ_SYMLINK ${launcher} target)
  file(REAL_PATH ${launcher} resolved)
  if(IS_ABSOLUTE "${target}")
    fail("the launcher link is absolute (${target}): a moved prefix would break it")
  endif()
  if(NOT resolved STREQUAL program)
    fail("the launcher leads to ${resolved}, not ${program}")
  endif()
endif()
execute_process(COMMAND test -x ${program} RESULT_VARIABLE notExecutable)
if(NOT notExecutable EQUAL 0)
  fail("${program} is not executable")
endif()

# The map, byte for byte the built one.
if(EXISTS ${gamedir}/Qapo.map)
  file(SHA256 ${BUILD_DIR}/Qapo.map builtMap)
  file(SHA256 ${gamedir}/Qapo.map installedMap)
  if(NOT builtMap STREQUAL installedMap)
    fail("the installed Qapo.map differs from the built one")
  endif()
else()
  fail("Qapo.map is not installed")
endif()

# The music folder: every built tune installed (the folder may not exist yet).
if(IS_DIRECTORY ${BUILD_DIR}/QapoMidi)
  file(GLOB_RECURSE tunes RELATIVE ${BUILD_DIR}/QapoMidi ${BUILD_DIR}/QapoMidi/*)
  if(NOT tunes)
    fail("the built QapoMidi folder is empty")
  endif()
  foreach(tune ${tunes})
    if(NOT EXISTS ${gamedir}/QapoMidi/${tune})
      fail("QapoMidi/${tune} is not installed")
    endif()
  endforeach()
else()
  message("note: no QapoMidi folder in the build yet; music not checked")
endif()

# The sound effects: every built one installed, byte for byte.
file(GLOB sounds RELATIVE ${BUILD_DIR}/sounds ${BUILD_DIR}/sounds/*.wav)
if(NOT sounds)
  fail("no sound effects were built")
endif()
foreach(sound ${sounds})
  if(EXISTS ${gamedir}/sounds/${sound})
    file(SHA256 ${BUILD_DIR}/sounds/${sound} built)
    file(SHA256 ${gamedir}/sounds/${sound} installed)
    if(NOT built STREQUAL installed)
      fail("the installed sounds/${sound} differs from the built one")
    endif()
  else()
    fail("sounds/${sound} is not installed")
  endif()
endforeach()

# The desktop entry: an application started by the launcher's name, with the icon.
set(entry ${prefix}/share/applications/tessivane.desktop)
if(EXISTS ${entry})
  file(STRINGS ${entry} lines)
  foreach(line "[Desktop Entry]" "Type=Application" "Name=Tessivane" "Exec=tessivane %f" "Icon=tessivane"
               "MimeType=application/x-tessivane-replay;")
    list(FIND lines "${line}" at)
    if(at EQUAL -1)
      fail("the desktop entry lacks '${line}'")
    endif()
  endforeach()
else()
  fail("share/applications/tessivane.desktop is not installed")
endif()
# Replay files are known by their name and first bytes, so that they open in the game.
set(mime ${prefix}/share/mime/packages/tessivane-replay.xml)
if(EXISTS ${mime})
  file(READ ${mime} text)
  foreach(part "application/x-tessivane-replay" "*.tvreplay" "TVREPLAY")
    string(FIND "${text}" "${part}" at)
    if(at EQUAL -1)
      fail("the replay file type lacks '${part}'")
    endif()
  endforeach()
else()
  fail("share/mime/packages/tessivane-replay.xml is not installed")
endif()

# The icons: PNGs of the size their folder names.
foreach(size 64 128 256)
  set(icon ${prefix}/share/icons/hicolor/${size}x${size}/apps/tessivane.png)
  if(NOT EXISTS ${BUILD_DIR}/generated/icons/tessivane-${size}.png)
    message("note: no ${size} px icon in the build yet; not checked")
  elseif(NOT EXISTS ${icon})
    fail("the ${size} px icon is not installed")
  else()
    file(READ ${icon} head LIMIT 24 HEX)
    string(SUBSTRING "${head}" 0 16 signature)
    string(SUBSTRING "${head}" 32 16 dimensions)
    math(EXPR side "${size}" OUTPUT_FORMAT HEXADECIMAL)  # 0x40
    string(REGEX REPLACE "^0x" "" side "${side}")
    string(LENGTH "${side}" digits)
    math(EXPR padding "8 - ${digits}")
    string(REPEAT "0" ${padding} zeros)
    if(NOT signature STREQUAL "89504e470d0a1a0a")
      fail("the ${size} px icon is not a PNG")
    elseif(NOT dimensions STREQUAL "${zeros}${side}${zeros}${side}")
      fail("the ${size} px icon is not ${size} x ${size} (IHDR ${dimensions})")
    endif()
  endif()
endforeach()

# A packager's staged install (DESTDIR): everything lands under the stage,
# the launcher included, and the link still leads to the program there.
set(stage ${WORK_DIR}/stage)
execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage} ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB stagedProgram ${stage}/usr/lib*/tessivane/tessivane)
if(NOT status EQUAL 0)
  fail("the staged install failed (${status}):\n${out}")
elseif(NOT stagedProgram OR NOT IS_SYMLINK ${stage}/usr/bin/tessivane)
  fail("the staged install lacks usr/bin/tessivane or usr/lib*/tessivane/tessivane")
else()
  file(REAL_PATH ${stage}/usr/bin/tessivane resolved)
  file(REAL_PATH ${stagedProgram} stagedProgram)
  if(NOT resolved STREQUAL stagedProgram)
    fail("the staged launcher leads to ${resolved}, not ${stagedProgram}")
  endif()
endif()

# Started through the launcher from elsewhere, the game finds its map beside
# itself and keeps running (a missing map ends it at once with its message).
set(ENV{SDL_VIDEODRIVER} dummy)
set(ENV{SDL_AUDIODRIVER} dummy)
set(ENV{XDG_RUNTIME_DIR} ${WORK_DIR}/runtime)
set(ENV{HOME} ${WORK_DIR}/home)
unset(ENV{XDG_DATA_HOME})
execute_process(COMMAND ${launcher} WORKING_DIRECTORY ${WORK_DIR}/home TIMEOUT 3
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status MATCHES "timeout")
  fail("the installed game did not keep running (status ${status}):\n${out}")
endif()
if(out MATCHES "マップデータ")
  fail("the installed game did not find its map:\n${out}")
endif()

if(fails GREATER 0)
  message(FATAL_ERROR "${fails} install check(s) failed")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message("install: all checks passed")
