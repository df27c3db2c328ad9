// platform/posix/program_folder.h and the large-page advice on Windows.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/posix/program_folder.h"
#include "platform/windows/utf16.h"

namespace platform {
namespace {

std::wstring ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// One argument as the C runtime splits a command line back into arguments.
std::wstring Quoted(const std::wstring& a) {
  if (!a.empty() && a.find_first_of(L" \t\"") == std::wstring::npos) return a;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : a) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

}  // namespace

std::string ProgramFolder() {
  const std::string path = GamePath(ProgramFile().c_str());
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Windows has no exec: the new run is started and this one ends. (The new
// run's single-copy claim waits for this one to be gone.)
void RunProgramAfresh(const std::vector<std::string>& arguments) {
  const std::wstring program = ProgramFile();
  std::wstring line = Quoted(program);
  for (const std::string& a : arguments) line += L" " + Quoted(Widen(a));
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(program.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &info))
    return;
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  std::fflush(nullptr);
  TerminateProcess(GetCurrentProcess(), 0);
}

// Large pages need a privilege players do not hold: small pages serve.
void AdviseLargePages(void*, size_t) {}

}  // namespace platform
