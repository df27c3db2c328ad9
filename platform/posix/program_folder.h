// Where the running program's file is, and running it afresh. On Windows:
// platform/windows/program_folder_windows.cpp.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The folder holding the running executable ("/" for the root), read from
// /proc/self/exe (on Windows its module file name, with '/' between
// folders); "." when it cannot be told.
std::string ProgramFolder();

// Replaces the running program by a fresh run of its own executable with
// these arguments (after the program's name). Returns only when that failed.
// (Windows has no exec: a new process is started and this one ends.)
void RunProgramAfresh(const std::vector<std::string>& arguments);

}  // namespace platform
