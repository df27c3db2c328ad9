// Runs a program with a time limit and reports its peak resident memory.
//
// usage: soak_peak_rss SECONDS REPORT_FILE PROGRAM [ARGS...]
//
// The program runs without transparent huge pages, so that its resident size
// counts 4 KB pages and not 2 MB ones.
//
// REPORT_FILE receives one line "peak_rss_kb=N status=S" where S is the exit
// status, "signal-N" or "timeout". The wrapper exits with the program's status,
// 124 on a timeout (the program is killed) and 125 when it cannot start it.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: soak_peak_rss SECONDS REPORT_FILE PROGRAM [ARGS...]\n");
    return 125;
  }
  const double limit = std::atof(argv[1]);
  const char* reportFile = argv[2];

  const pid_t child = fork();
  if (child < 0) {
    std::perror("soak_peak_rss: fork");
    return 125;
  }
  if (child == 0) {
    // No transparent huge pages for the measured program: a 2 MB page backed
    // late would read as growth, and the measure is meant to see every page.
    prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
    execvp(argv[3], argv + 3);
    std::perror("soak_peak_rss: exec");
    _exit(125);
  }

  timespec start;
  clock_gettime(CLOCK_MONOTONIC, &start);
  int status = 0;
  rusage usage{};
  bool timedOut = false;
  for (;;) {
    const pid_t done = wait4(child, &status, WNOHANG, &usage);
    if (done == child) break;
    if (done < 0 && errno != EINTR) {
      std::perror("soak_peak_rss: wait4");
      return 125;
    }
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double elapsed = double(now.tv_sec - start.tv_sec) + double(now.tv_nsec - start.tv_nsec) / 1e9;
    if (!timedOut && elapsed > limit) {
      timedOut = true;
      kill(child, SIGKILL);
    }
    usleep(20000);
  }

  std::string outcome;
  int code = 0;
  if (timedOut) {
    outcome = "timeout";
    code = 124;
  } else if (WIFEXITED(status)) {
    code = WEXITSTATUS(status);
    outcome = std::to_string(code);
  } else {
    code = 128 + WTERMSIG(status);
    outcome = "signal-" + std::to_string(WTERMSIG(status));
  }
  std::FILE* f = std::fopen(reportFile, "w");
  if (!f) {
    std::perror("soak_peak_rss: report file");
    return 125;
  }
  std::fprintf(f, "peak_rss_kb=%ld status=%s\n", long(usage.ru_maxrss), outcome.c_str());
  std::fclose(f);
  return code;
}
