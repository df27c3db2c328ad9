// Where the running program's file is.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The folder holding the running executable ("/" for the root), read from
// /proc/self/exe; "." when it cannot be told.
std::string ProgramFolder();

// Replaces the running program by a fresh run of its own executable with
// these arguments (after the program's name). Returns only when that failed.
void RunProgramAfresh(const std::vector<std::string>& arguments);

}  // namespace platform
