#include "platform/posix/program_folder.h"

#include <unistd.h>

#include <string>
#include <vector>

namespace platform {

std::string ProgramFolder() {
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return ".";
  const std::string path(buf, size_t(n));
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void RunProgramAfresh(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>("tessivane"));
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv("/proc/self/exe", argv.data());
}

}  // namespace platform
