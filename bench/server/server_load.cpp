// The score server under load: submits replays of varied length (the golden
// replays, each made unique by its recording date) to a tessivane-server it
// starts on 127.0.0.1 with a fresh SQLite database, and measures
//  - replays verified per second with N workers (and seconds of play verified
//    per second);
//  - the board page's latency (p50, p99, max) under concurrent readers while
//    the queue is being verified, each reading the page again --think-ms
//    after its last answer (0: at once, a closed loop that saturates the
//    machine).
// Usage: bench_server_load [--replays 1000] [--workers 2] [--readers 100] [--think-ms 100]
// Prints figures, asserts nothing (README, "Score server").
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <httplib.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/program_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The same game recorded at another moment: other bytes, the same play.
std::string WithRecordedAt(std::string replay, uint64_t seconds) {
  const size_t buildLength = uint8_t(replay[10]) | size_t(uint8_t(replay[11])) << 8;
  for (int k = 0; k < 8; ++k) replay[12 + buildLength + size_t(k)] = char(seconds >> (8 * k));
  return replay;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

int Arg(int argc, char** argv, const char* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], name) == 0) return std::atoi(argv[i + 1]);
  return fallback;
}

}  // namespace

int main(int argc, char** argv) {
  const int replayCount = Arg(argc, argv, "--replays", 1000);
  const int workers = Arg(argc, argv, "--workers", 2);
  const int readers = Arg(argc, argv, "--readers", 100);
  const int thinkMs = Arg(argc, argv, "--think-ms", 100);
  const std::string build = platform::ProgramFolder() + "/..";
  const char* const kGolden[] = {"continue_gameover", "stage_clear", "stage7", "ending"};
  std::vector<std::string> golden;
  for (const char* name : kGolden)
    golden.push_back(ReadFile(std::string(TESSIVANE_SOURCE_DIR) + "/tests/golden/replays/" + name + ".tvreplay"));

  char folder[] = "/tmp/tessivane-bench-XXXXXX";
  if (!mkdtemp(folder)) return 1;
  const std::string database = std::string(folder) + "/scores.db";
  int out[2];
  if (pipe(out) != 0) return 1;
  const pid_t server = fork();
  if (server == 0) {
    dup2(out[1], 1);
    const std::string w = std::to_string(workers);
    execl((build + "/tessivane-server").c_str(), "tessivane-server", "--listen", "127.0.0.1:0", "--database",
          database.c_str(), "--workers", w.c_str(), "--per-minute", "1000000", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char line[256] = {};
  const ssize_t n = read(out[0], line, sizeof line - 1);
  const char* port = n > 0 ? std::strrchr(line, ':') : nullptr;
  if (!port) {
    std::fprintf(stderr, "bench_server_load: the server did not start\n");
    return 1;
  }
  const int portNumber = std::atoi(port + 1);
  std::printf("server: %d workers, %d replays, %d readers reading again %d ms after an answer\n", workers,
              replayCount, readers, thinkMs);

  // Submit everything, then read the page while the queue is verified.
  httplib::Client client("127.0.0.1", portNumber);
  const auto start = Clock::now();
  for (int k = 0; k < replayCount; ++k) {
    const std::string replay = WithRecordedAt(golden[size_t(k) % golden.size()], 2000000000u + uint64_t(k));
    const auto r = client.Post("/api/replays", replay, "application/octet-stream");
    if (!r || r->status != 202) {
      std::fprintf(stderr, "bench_server_load: submission %d failed\n", k);
      kill(server, SIGTERM);
      return 1;
    }
  }
  const double submitSeconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::atomic<bool> done{false};
  std::mutex mutex;
  std::vector<double> latencies;
  std::atomic<int> failures{0};
  std::vector<std::thread> pool;
  for (int r = 0; r < readers; ++r)
    pool.emplace_back([&] {
      httplib::Client reader("127.0.0.1", portNumber);
      reader.set_keep_alive(true);
      std::vector<double> mine;
      while (!done.load()) {
        const auto t0 = Clock::now();
        const auto res = reader.Get("/");
        mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        if (!res || res->status != 200) failures++;
        if (thinkMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(thinkMs));
      }
      std::lock_guard<std::mutex> lock(mutex);
      latencies.insert(latencies.end(), mine.begin(), mine.end());
    });
  for (;;) {
    const auto r = client.Get("/api/queue");
    if (r && r->status == 200 && nlohmann::json::parse(r->body)["pending"] == 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  done = true;
  for (std::thread& t : pool) t.join();

  double playSeconds = 0;
  int ranked = 0;
  for (int k = 1; k <= replayCount; ++k) {
    const auto r = client.Get(("/api/replays/" + std::to_string(k)).c_str());
    if (!r || r->status != 200) continue;
    const auto j = nlohmann::json::parse(r->body);
    playSeconds += double(j.value("frames", 0)) * 0.043;
    ranked += j.value("status", "") == "ranked";
  }
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  std::system((std::string("rm -rf ") + folder).c_str());

  std::printf("submitting: %.1f replays/s\n", replayCount / submitSeconds);
  std::printf("verifying: %d replays in %.1f s: %.1f replays/s, %.0f s of play per second (%d ranked)\n",
              replayCount, seconds, replayCount / seconds, playSeconds / seconds, ranked);
  std::printf("board page while verifying: %zu reads, p50 %.2f ms, p99 %.2f ms, max %.2f ms, %d failed\n",
              latencies.size(), Percentile(latencies, 0.5), Percentile(latencies, 0.99),
              latencies.empty() ? 0.0 : *std::max_element(latencies.begin(), latencies.end()), failures.load());
  return 0;
}
