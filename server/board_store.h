// The score server's records: every submitted replay, its place in the
// verification queue, and what its verification found. One schema and one set
// of queries for SQLite and PostgreSQL (server/database.h); every change is
// one transaction.
//
// A replay's life: queued -> verifying (claimed by one worker of one server
// process) -> ranked or refused. A claim is taken with one statement
// (FOR UPDATE SKIP LOCKED on PostgreSQL, where several server processes share
// the queue), and a claim whose holder died is put back in the queue.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "server/database.h"

namespace server {

constexpr const char* kStatusQueued = "queued";
constexpr const char* kStatusVerifying = "verifying";
constexpr const char* kStatusRanked = "ranked";
constexpr const char* kStatusRefused = "refused";

// The boards, in the order they are shown.
constexpr const char* kBoardDifficulties[] = {"normal", "hard", "hardest", "easy"};
bool IsBoardDifficulty(const std::string& difficulty);

// What the verification found, as the worker decided it (server/verdict.h).
struct Verdict {
  bool ranked = false;
  std::string reason;  // why it was refused
  // What the playback reached (empty or 0 when it never played).
  std::string build;
  std::string recorded;
  std::string difficulty;
  int startStage = 0;
  int stageReached = 0;
  std::string ending;
  double score = 0;
  int place = 0;
  std::string name;
  int64_t frames = 0;
  int64_t digests = 0;
  std::string medals;  // the medals the run earned, comma-separated
};

// The medals as stored (names joined by commas), one name each.
std::vector<std::string> MedalNames(const std::string& stored);

struct ReplayRecord {
  int64_t id = 0;
  std::string status;
  std::string reason;
  int64_t submittedAt = 0;
  int64_t attempts = 0;
  std::string verifiedBy;
  bool hidden = false;
  Verdict verdict;
};

struct BoardEntry {
  int64_t id = 0;
  int rank = 0;
  std::string name;
  double score = 0;
  int stageReached = 0;
  std::string ending;
  std::string recorded;
  int64_t submittedAt = 0;
  std::string medals;
};

struct Claim {
  int64_t id = 0;
  std::string bytes;
};

class BoardStore {
 public:
  // Opens `target` (an SQLite path or a postgresql:// address) and makes the
  // schema if it is missing. Throws SqlError.
  explicit BoardStore(const std::string& target);
  ~BoardStore();
  bool IsPostgresql() const { return postgresql_; }

  // Records a submission. A replay whose bytes were submitted before is
  // recorded refused as a duplicate of the first; `refusal` (when not empty)
  // records it refused at once. Returns its id.
  int64_t Submit(const std::string& bytes, const std::string& sha256, const std::string& address, int64_t now,
                 const std::string& refusal);

  // Takes the oldest queued replay for `worker`, or nothing.
  std::optional<Claim> ClaimNext(const std::string& worker, int64_t now);
  // Writes the verdict of a claim still held by `worker`; false when the
  // claim was lost (put back and taken by another).
  bool Finish(int64_t id, const std::string& worker, const Verdict& verdict, int64_t now);
  // Gives a claim back to the queue (the server stops, or could not run the
  // verifier).
  void Release(int64_t id, const std::string& worker);
  // Puts back every claim (a server alone on its database, starting), or the
  // claims taken before `claimedBefore` (holders that died).
  int64_t RequeueAllClaims();
  int64_t RequeueClaimsBefore(int64_t claimedBefore);

  std::optional<ReplayRecord> Record(int64_t id);
  std::vector<BoardEntry> Board(const std::string& difficulty, int limit);
  // The bytes of a ranked replay still shown.
  std::optional<std::string> RankedReplayBytes(int64_t id);
  // Takes a ranked entry off the boards (kept in the database); false when
  // there is no such replay.
  bool Hide(int64_t id);
  // How many replays wait or are being verified.
  int64_t Pending();

 private:
  std::unique_ptr<SqlConnection> Take();
  void Give(std::unique_ptr<SqlConnection> c);
  template <typename Work>
  auto InTransaction(Work work);
  template <typename Work>
  auto Reading(Work work);

  std::string target_;
  bool postgresql_ = false;
  std::mutex mutex_;
  std::vector<std::unique_ptr<SqlConnection>> idle_;
};

}  // namespace server
