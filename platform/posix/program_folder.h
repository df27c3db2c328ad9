// Where the running program's file is.
#pragma once

#include <string>

namespace platform {

// The folder holding the running executable ("/" for the root), read from
// /proc/self/exe; "." when it cannot be told.
std::string ProgramFolder();

}  // namespace platform
