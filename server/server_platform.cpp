// The one question of the platform (platform/backend.h) the game library's
// code in the server asks: where its catalogues' base folder is (the message
// catalogues of the board page). The server has no game folder of its own:
// it is the program's folder.
#include "platform/backend.h"
#include "platform/posix/program_folder.h"

namespace platform {

std::string BaseDirectory() { return ProgramFolder(); }

}  // namespace platform
