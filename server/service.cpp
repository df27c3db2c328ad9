#include "server/service.h"

#include <fcntl.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <deque>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/replay_recorder.h"
#include "server/board_store.h"
#include "server/page.h"
#include "server/upload.h"
#include "server/verdict.h"

namespace server {
namespace {

using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

constexpr int kBoardLength = 100;
constexpr int kListenBacklog = 1024;
// A claim older than the verifier's wall-clock limit by this much belongs to
// a server process that died: it goes back to the queue.
constexpr int kClaimGraceSeconds = 60;

int64_t Now() { return int64_t(std::time(nullptr)); }

void Log(const std::string& line) {
  char stamp[32];
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
  gmtime_r(&t, &tm);
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", &tm);
  std::fprintf(stderr, "%s tessivane-server: %s\n", stamp, line.c_str());
}

std::string JsonText(const Json& j) { return j.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha256(), nullptr);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

// Scores are whole numbers held in floats: written as whole numbers.
Json ScoreJson(double score) {
  if (std::isfinite(score) && score == std::floor(score) && std::fabs(score) < 9e15) return Json(int64_t(score));
  return Json(score);
}

// The medals as stored as a JSON list of names.
Json MedalList(const std::string& stored) {
  Json list = Json::array();
  for (const std::string& name : MedalNames(stored)) list.push_back(name);
  return list;
}

void SendJson(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(JsonText(body) + "\n", "application/json");
}

void SendError(httplib::Response& res, int status, const std::string& why) {
  SendJson(res, status, {{"error", why}});
}

// At most `perMinute` submissions from one address in any minute.
class RateLimiter {
 public:
  explicit RateLimiter(int perMinute) : perMinute_(perMinute) {}
  bool Allow(const std::string& address) {
    const auto now = Clock::now();
    std::lock_guard<std::mutex> lock(mutex_);
    std::deque<Clock::time_point>& times = recent_[address];
    while (!times.empty() && now - times.front() >= std::chrono::minutes(1)) times.pop_front();
    if (int(times.size()) >= perMinute_) return false;
    times.push_back(now);
    if (recent_.size() > 100000) Forget(now);
    return true;
  }

 private:
  void Forget(Clock::time_point now) {
    for (auto it = recent_.begin(); it != recent_.end();) {
      if (it->second.empty() || now - it->second.back() >= std::chrono::minutes(1)) {
        it = recent_.erase(it);
      } else {
        ++it;
      }
    }
  }
  int perMinute_;
  std::mutex mutex_;
  std::unordered_map<std::string, std::deque<Clock::time_point>> recent_;
};

class Service {
 public:
  Service(const ServiceOptions& options, BoardStore& store, std::atomic<bool>& stop)
      : options_(options), store_(store), stop_(stop), limiter_(options.perMinute) {
    char host[256] = "server";
    gethostname(host, sizeof host - 1);
    instance_ = std::string(host) + ":" + std::to_string(getpid());
  }

  int Run() {
    http_.new_task_queue = [threads = options_.httpThreads] { return new httplib::ThreadPool(size_t(threads)); };
    http_.set_payload_max_length(kMaxUploadBytes);
    // Readers keep their connection for many requests, and a crowd of new
    // ones waits in a long enough queue (the library listens with a backlog
    // of 5: connections beyond it wait seconds for the kernel's retry).
    http_.set_keep_alive_max_count(1000);
    int listening = -1;
    http_.set_socket_options([&listening](socket_t sock) {
      int yes = 1;
      setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
      listening = sock;
    });
    Routes();
    int port = options_.port;
    if (port == 0) {
      port = http_.bind_to_any_port(options_.host);
    } else if (!http_.bind_to_port(options_.host, port)) {
      port = -1;
    }
    if (port < 0) {
      Log("cannot listen on " + options_.host + ":" + std::to_string(options_.port));
      return 1;
    }
    if (listening >= 0) listen(listening, kListenBacklog);
    const std::string shownHost =
        options_.host.find(':') != std::string::npos ? "[" + options_.host + "]" : options_.host;
    std::printf("tessivane-server: listening on http://%s:%d/\n", shownHost.c_str(), port);
    std::fflush(stdout);

    std::vector<std::thread> workers;
    for (int k = 0; k < options_.workers; ++k) workers.emplace_back([this, k] { Work(k); });
    std::thread listener([this] { http_.listen_after_bind(); });
    while (!stop_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Log("stopping");
    http_.stop();
    listener.join();
    queueSignal_.notify_all();
    for (std::thread& w : workers) w.join();
    return 0;
  }

 private:
  // ---- The workers ----------------------------------------------------------

  void Work(int index) {
    const std::string worker = instance_ + ":" + std::to_string(index);
    int64_t nextSweep = 0;
    while (!stop_.load()) {
      std::optional<Claim> claim;
      try {
        // Claims of server processes that died go back to the queue.
        if (store_.IsPostgresql() && Now() >= nextSweep) {
          nextSweep = Now() + 10;
          const int64_t back =
              store_.RequeueClaimsBefore(Now() - options_.limits.wallSeconds - kClaimGraceSeconds);
          if (back > 0) Log("put back " + std::to_string(back) + " abandoned claims");
        }
        claim = store_.ClaimNext(worker, Now());
      } catch (const SqlError& e) {
        Log(std::string("the queue cannot be read: ") + e.what());
        Pause(std::chrono::seconds(2));
        continue;
      }
      if (!claim) {
        Pause(std::chrono::milliseconds(500));
        continue;
      }
      Verify(worker, *claim);
    }
  }

  void Verify(const std::string& worker, const Claim& claim) {
    const VerifierRun run =
        RunVerifier(options_.verifier, claim.bytes, options_.limits, [this] { return stop_.load(); });
    const Judgement judgement = JudgeVerifierRun(run, options_.limits, kBuildIdentity);
    const std::string id = std::to_string(claim.id);
    try {
      if (!judgement.decided) {
        store_.Release(claim.id, worker);
        if (run.end != VerifierRun::End::Cancelled) {
          Log("replay " + id + " left queued: " + judgement.serverFault);
          Pause(std::chrono::seconds(5));
        }
        return;
      }
      if (!store_.Finish(claim.id, worker, judgement.verdict, Now())) {
        Log("replay " + id + ": its claim was lost before its verdict was written");
        return;
      }
      boardGeneration_++;
      const Verdict& v = judgement.verdict;
      Log("replay " + id +
          (v.ranked ? " ranked: " + v.difficulty + " " + std::to_string(int64_t(v.score))
                    : " refused: " + v.reason) +
          " (" + std::to_string(run.cpuSeconds) + " s of CPU)");
    } catch (const SqlError& e) {
      Log("replay " + id + ": its verdict cannot be written: " + e.what());
      try {
        store_.Release(claim.id, worker);  // verified again later
      } catch (const SqlError&) {
        // put back at the next start (SQLite) or when the claim runs out
      }
      Pause(std::chrono::seconds(2));
    }
  }

  template <typename Duration>
  void Pause(Duration d) {
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueSignal_.wait_for(lock, d, [this] { return stop_.load() || queueNudged_; });
    queueNudged_ = false;
  }

  void NudgeWorkers() {
    {
      std::lock_guard<std::mutex> lock(queueMutex_);
      queueNudged_ = true;
    }
    queueSignal_.notify_one();
  }

  // ---- The HTTP face --------------------------------------------------------

  void Routes() {
    // Refused before the body is read: too many submissions (every attempt
    // counts), or a body announced larger than a replay can be.
    http_.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
      if (req.method != "POST" || req.path != "/api/replays") return httplib::Server::HandlerResponse::Unhandled;
      if (!limiter_.Allow(req.remote_addr)) {
        res.set_header("Connection", "close");
        res.set_header("Retry-After", "60");
        SendError(res, 429,
                  "at most " + std::to_string(options_.perMinute) + " submissions a minute from one address");
        return httplib::Server::HandlerResponse::Handled;
      }
      const std::string length = req.get_header_value("Content-Length");
      if (!length.empty() &&
          (length.size() > 18 || std::strtoull(length.c_str(), nullptr, 10) > kMaxUploadBytes)) {
        res.set_header("Connection", "close");
        SendError(res, 413, "a replay file is at most " + std::to_string(kMaxUploadBytes) + " bytes");
        return httplib::Server::HandlerResponse::Handled;
      }
      return httplib::Server::HandlerResponse::Unhandled;
    });

    http_.Post("/api/replays", [this](const httplib::Request& req, httplib::Response& res,
                                      const httplib::ContentReader& read) {
      std::string body;
      bool tooLarge = false;
      read([&](const char* data, size_t size) {
        if (body.size() + size > kMaxUploadBytes) {
          tooLarge = true;
          return false;
        }
        body.append(data, size);
        return true;
      });
      if (tooLarge || res.status == 413) {
        res.set_header("Connection", "close");
        return SendError(res, 413, "a replay file is at most " + std::to_string(kMaxUploadBytes) + " bytes");
      }
      Submit(req, res, body);
    });

    http_.Get(R"(/api/replays/(\d{1,18}))", [this](const httplib::Request& req, httplib::Response& res) {
      ReplayStatus(res, std::stoll(req.matches[1]));
    });
    http_.Get(R"(/api/replays/(\d{1,18})/file)", [this](const httplib::Request& req, httplib::Response& res) {
      const std::string id = req.matches[1];
      std::optional<std::string> bytes;
      if (!Guarded(res, [&] { bytes = store_.RankedReplayBytes(std::stoll(id)); })) return;
      if (!bytes) return SendError(res, 404, "no ranked replay " + id);
      res.set_header("Content-Disposition", "attachment; filename=\"tessivane-" + id + ".tvreplay\"");
      res.set_header("Access-Control-Allow-Origin", "*");
      res.set_content(*bytes, "application/octet-stream");
    });
    http_.Get(R"(/api/boards/([a-z]{1,16}))", [this](const httplib::Request& req, httplib::Response& res) {
      const std::string difficulty = req.matches[1];
      if (!IsBoardDifficulty(difficulty))
        return SendError(res, 404, "the boards are normal, hard, hardest and easy");
      std::vector<BoardEntry> entries;
      if (!Guarded(res, [&] { entries = store_.Board(difficulty, kBoardLength); })) return;
      Json list = Json::array();
      for (const BoardEntry& e : entries)
        list.push_back({{"id", e.id},
                        {"rank", e.rank},
                        {"name", e.name},
                        {"score", ScoreJson(e.score)},
                        {"stageReached", e.stageReached},
                        {"ending", e.ending},
                        {"date", e.recorded},
                        {"submitted", e.submittedAt},
                        {"medals", MedalList(e.medals)},
                        {"replay", "/api/replays/" + std::to_string(e.id) + "/file"}});
      res.set_header("Access-Control-Allow-Origin", "*");
      SendJson(res, 200, {{"difficulty", difficulty}, {"entries", list}});
    });
    http_.Get("/", [this](const httplib::Request&, httplib::Response& res) { Page(res); });
    http_.Get("/api/queue", [this](const httplib::Request&, httplib::Response& res) {
      int64_t pending = 0;
      if (Guarded(res, [&] { pending = store_.Pending(); })) SendJson(res, 200, {{"pending", pending}});
    });
    http_.Get(R"(/watch/(\d{1,18}))", [this](const httplib::Request& req, httplib::Response& res) {
      if (options_.site.empty())
        return SendError(res, 404,
                         "this server does not serve the game's web build, so replays cannot be watched here");
      res.set_redirect("/play/?watch=%2Fapi%2Freplays%2F" + std::string(req.matches[1]) + "%2Ffile");
    });
    if (!options_.site.empty() && !http_.set_mount_point("/play", options_.site))
      Log("the site folder " + options_.site + " cannot be served");
  }

  template <typename Action>
  bool Guarded(httplib::Response& res, Action action) {
    try {
      action();
      return true;
    } catch (const SqlError& e) {
      Log(std::string("database: ") + e.what());
      SendError(res, 503, "the database cannot be reached; try again later");
      return false;
    }
  }

  void Submit(const httplib::Request& req, httplib::Response& res, const std::string& body) {
    const UploadCheck check =
        ExamineUpload(reinterpret_cast<const uint8_t*>(body.data()), body.size(), kBuildIdentity);
    if (!check.accepted) return SendError(res, 400, check.error);
    int64_t id = 0;
    if (!Guarded(res, [&] { id = store_.Submit(body, Sha256Hex(body), req.remote_addr, Now(), check.refusal); }))
      return;
    NudgeWorkers();
    res.set_header("Location", "/api/replays/" + std::to_string(id));
    SendJson(res, 202, {{"id", id}});
  }

  void ReplayStatus(httplib::Response& res, int64_t id) {
    std::optional<ReplayRecord> record;
    if (!Guarded(res, [&] { record = store_.Record(id); })) return;
    if (!record) return SendError(res, 404, "no replay " + std::to_string(id));
    Json out = {{"id", record->id}, {"status", record->status}};
    if (record->status == kStatusRefused) out["reason"] = record->reason;
    const Verdict& v = record->verdict;
    if (record->status == kStatusRanked || (record->status == kStatusRefused && !v.build.empty())) {
      out["score"] = ScoreJson(v.score);
      out["difficulty"] = v.difficulty;
      out["startStage"] = v.startStage;
      out["stageReached"] = v.stageReached;
      out["ending"] = v.ending;
      out["medals"] = MedalList(v.medals);
      out["name"] = v.name;
      out["frames"] = v.frames;
      out["digests"] = v.digests;
      out["recorded"] = v.recorded;
    }
    if (record->hidden) out["hidden"] = true;
    out["attempts"] = record->attempts;
    if (!record->verifiedBy.empty()) out["verifiedBy"] = record->verifiedBy;
    SendJson(res, 200, out);
  }

  // The page is built at most once a second, and again when this process
  // ranked something (other processes' rankings show within the second).
  void Page(httplib::Response& res) {
    const uint64_t generation = boardGeneration_.load();
    std::unique_lock<std::mutex> lock(pageMutex_);
    // One request builds the page; the others that want it meanwhile wait
    // for that page rather than each build their own (a crowd of readers
    // would otherwise rebuild it at once, every time it changes).
    for (;;) {
      if (page_ && pageGeneration_ >= generation && Clock::now() - pageBuilt_ < std::chrono::seconds(1)) {
        const std::shared_ptr<const std::string> page = page_;
        lock.unlock();
        res.set_content(*page, "text/html; charset=utf-8");
        return;
      }
      if (!pageBuilding_) break;
      pageReady_.wait(lock);
    }
    pageBuilding_ = true;
    const uint64_t building = boardGeneration_.load();
    lock.unlock();
    std::shared_ptr<const std::string> page;
    std::vector<BoardOfDifficulty> boards;
    bool read = false;
    try {
      read = Guarded(res, [&] {
        for (const char* d : kBoardDifficulties) boards.push_back({d, store_.Board(d, kBoardLength)});
      });
      if (read) page = std::make_shared<const std::string>(BoardPage(boards, !options_.site.empty()));
    } catch (...) {
      // Whatever went wrong, the next request builds it again.
      lock.lock();
      pageBuilding_ = false;
      pageReady_.notify_all();
      throw;
    }
    lock.lock();
    if (read) {
      page_ = page;
      pageGeneration_ = building;
      pageBuilt_ = Clock::now();
    }
    pageBuilding_ = false;
    pageReady_.notify_all();
    lock.unlock();
    if (read) res.set_content(*page, "text/html; charset=utf-8");
  }

  const ServiceOptions& options_;
  BoardStore& store_;
  std::atomic<bool>& stop_;
  RateLimiter limiter_;
  std::string instance_;
  httplib::Server http_;

  std::mutex queueMutex_;
  std::condition_variable queueSignal_;
  bool queueNudged_ = false;

  std::atomic<uint64_t> boardGeneration_{0};
  std::mutex pageMutex_;
  std::condition_variable pageReady_;
  bool pageBuilding_ = false;
  std::shared_ptr<const std::string> page_;
  uint64_t pageGeneration_ = 0;
  Clock::time_point pageBuilt_;
};

}  // namespace

int RunService(const ServiceOptions& options, std::atomic<bool>& stop) {
  // An SQLite file is one server's: it alone may put its claims back.
  int lock = -1;
  if (!IsPostgresqlTarget(options.database)) {
    // A server killed a moment ago may leave a verifier being started that
    // still holds the lock for a moment: wait a little for it.
    lock = open((options.database + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    bool locked = false;
    for (int tries = 0; lock >= 0 && !locked && tries < 100; ++tries) {
      locked = flock(lock, LOCK_EX | LOCK_NB) == 0;
      if (!locked) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!locked) {
      Log("another server uses " + options.database + " (or its lock file cannot be made)");
      return 1;
    }
  }
  try {
    BoardStore store(options.database);
    if (!store.IsPostgresql()) {
      const int64_t back = store.RequeueAllClaims();
      if (back > 0) Log("put back " + std::to_string(back) + " replays whose verification was cut off");
    }
    Service service(options, store, stop);
    return service.Run();
  } catch (const SqlError& e) {
    Log(e.what());
    return 1;
  }
}

}  // namespace server
