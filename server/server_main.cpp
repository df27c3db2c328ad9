// tessivane-server: the online score board. Every submitted replay is played
// through the game's own verifier (tessivane-headless --verify, beside this
// program) and ranked by what the playback reached. README: "Score server".
#include <signal.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/language.h"
#include "platform/posix/program_folder.h"
#include "server/board_store.h"
#include "server/service.h"

namespace {

constexpr int kUsageError = 2;

std::atomic<bool> gStop{false};

void OnStopSignal(int) { gStop.store(true); }

[[noreturn]] void Usage(const std::string& why) {
  std::fprintf(stderr,
               "tessivane-server: %s\n"
               "usage: tessivane-server --listen HOST:PORT --database PATH|postgresql://... [--site DIR]\n"
               "                        [--workers N] [--per-minute N] [--verify-cpu-seconds S]\n"
               "                        [--verify-wall-seconds S] [--verify-memory-mb MB] [--verifier PATH]\n"
               "       tessivane-server hide ID --database PATH|postgresql://...\n",
               why.c_str());
  std::exit(kUsageError);
}

bool ParseCount(const std::string& s, long long low, long long high, long long* value) {
  if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789") != std::string::npos) return false;
  *value = std::strtoll(s.c_str(), nullptr, 10);
  return *value >= low && *value <= high;
}

// HOST:PORT, [IPV6]:PORT; port 0 takes any free port (the one taken is printed).
void ParseListen(const std::string& arg, server::ServiceOptions* o) {
  size_t colon = arg.rfind(':');
  std::string host = colon == std::string::npos ? "" : arg.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  long long port = 0;
  if (host.empty() || !ParseCount(arg.substr(colon + 1), 0, 65535, &port))
    Usage("--listen takes HOST:PORT, got '" + arg + "'");
  o->host = host;
  o->port = int(port);
}

int Hide(int argc, char** argv) {
  long long id = 0;
  if (argc != 5 || !ParseCount(argv[2], 1, 999999999999999999LL, &id) || std::strcmp(argv[3], "--database") != 0)
    Usage("hide takes ID --database PATH|postgresql://...");
  try {
    server::BoardStore store(argv[4]);
    if (!store.Hide(id)) {
      std::fprintf(stderr, "tessivane-server: there is no replay %lld\n", id);
      return 1;
    }
  } catch (const server::SqlError& e) {
    std::fprintf(stderr, "tessivane-server: %s\n", e.what());
    return 1;
  }
  std::printf("replay %lld is off the boards (kept in the database)\n", id);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "hide") == 0) return Hide(argc, argv);
  server::ServiceOptions o;
  bool listenGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) Usage("missing value after " + opt);
    const std::string arg = argv[++i];
    long long n = 0;
    if (opt == "--listen") {
      ParseListen(arg, &o);
      listenGiven = true;
    } else if (opt == "--database") {
      o.database = arg;
    } else if (opt == "--verifier") {
      o.verifier = arg;
    } else if (opt == "--site") {
      o.site = arg;
    } else if (opt == "--workers") {
      if (!ParseCount(arg, 1, 64, &n)) Usage("--workers takes 1..64");
      o.workers = int(n);
    } else if (opt == "--per-minute") {
      if (!ParseCount(arg, 1, 1000000, &n)) Usage("--per-minute takes 1..1000000");
      o.perMinute = int(n);
    } else if (opt == "--verify-cpu-seconds") {
      if (!ParseCount(arg, 1, 86400, &n)) Usage("--verify-cpu-seconds takes 1..86400");
      o.limits.cpuSeconds = int(n);
    } else if (opt == "--verify-wall-seconds") {
      if (!ParseCount(arg, 1, 86400, &n)) Usage("--verify-wall-seconds takes 1..86400");
      o.limits.wallSeconds = int(n);
    } else if (opt == "--verify-memory-mb") {
      if (!ParseCount(arg, 64, 65536, &n)) Usage("--verify-memory-mb takes 64..65536");
      o.limits.memoryBytes = uint64_t(n) << 20;
    } else {
      Usage("unknown option " + opt);
    }
  }
  if (!listenGiven) Usage("--listen is needed");
  if (o.database.empty()) Usage("--database is needed");
  // The page speaks the server's language, as the game speaks the player's.
  language::UseEnvironmentLocale();
  if (o.verifier.empty()) o.verifier = platform::ProgramFolder() + "/tessivane-headless";

  struct sigaction stop {};
  stop.sa_handler = OnStopSignal;
  sigaction(SIGTERM, &stop, nullptr);
  sigaction(SIGINT, &stop, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return server::RunService(o, gStop);
}
