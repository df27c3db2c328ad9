#include "server/board_store.h"

#include <algorithm>
#include <utility>

namespace server {
namespace {

// The schema, written once: {id} and {blob} are the two column types the
// databases spell differently.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS replays ("
    " id {id},"
    " submitted_at BIGINT NOT NULL,"
    " address TEXT NOT NULL,"
    " sha256 TEXT NOT NULL,"
    " size BIGINT NOT NULL,"
    " bytes {blob},"
    " duplicate_of BIGINT,"
    " status TEXT NOT NULL,"
    " reason TEXT NOT NULL DEFAULT '',"
    " claimed_by TEXT,"
    " claimed_at BIGINT,"
    " attempts INTEGER NOT NULL DEFAULT 0,"
    " verified_by TEXT,"
    " verified_at BIGINT,"
    " build TEXT,"
    " recorded TEXT,"
    " difficulty TEXT,"
    " start_stage INTEGER,"
    " stage_reached INTEGER,"
    " ending TEXT,"
    " score DOUBLE PRECISION,"
    " place INTEGER,"
    " name TEXT,"
    " frames BIGINT,"
    " digests BIGINT,"
    " medals TEXT,"
    " hidden INTEGER NOT NULL DEFAULT 0)",
    // The same bytes rank once: one original per digest.
    "CREATE UNIQUE INDEX IF NOT EXISTS replays_original ON replays (sha256) WHERE duplicate_of IS NULL",
    "CREATE INDEX IF NOT EXISTS replays_queue ON replays (status, id)",
    "CREATE INDEX IF NOT EXISTS replays_board ON replays (difficulty, status, hidden, score DESC, id)",
};

std::string Replaced(std::string text, const std::string& key, const std::string& value) {
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + value.size()))
    text.replace(at, key.size(), value);
  return text;
}

constexpr const char* kRecordColumns =
    "id, status, reason, submitted_at, attempts, verified_by, hidden, build, recorded, difficulty, start_stage,"
    " stage_reached, ending, score, place, name, frames, digests, medals";

ReplayRecord RecordFromRow(const SqlRow& r) {
  ReplayRecord rec;
  rec.id = r.Integer(0);
  rec.status = r.Text(1);
  rec.reason = r.Text(2);
  rec.submittedAt = r.Integer(3);
  rec.attempts = r.Integer(4);
  rec.verifiedBy = r.Text(5);
  rec.hidden = r.Integer(6) != 0;
  Verdict& v = rec.verdict;
  v.ranked = rec.status == kStatusRanked;
  v.reason = rec.reason;
  v.build = r.Text(7);
  v.recorded = r.Text(8);
  v.difficulty = r.Text(9);
  v.startStage = int(r.Integer(10));
  v.stageReached = int(r.Integer(11));
  v.ending = r.Text(12);
  v.score = r.Real(13);
  v.place = int(r.Integer(14));
  v.name = r.Text(15);
  v.frames = r.Integer(16);
  v.digests = r.Integer(17);
  v.medals = r.Text(18);
  return rec;
}

}  // namespace

bool IsBoardDifficulty(const std::string& difficulty) {
  for (const char* board : kBoardDifficulties)
    if (difficulty == board) return true;
  return false;
}

std::unique_ptr<SqlConnection> BoardStore::Take() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!idle_.empty()) {
      std::unique_ptr<SqlConnection> c = std::move(idle_.back());
      idle_.pop_back();
      return c;
    }
  }
  return OpenSqlConnection(target_);
}

void BoardStore::Give(std::unique_ptr<SqlConnection> c) {
  std::lock_guard<std::mutex> lock(mutex_);
  idle_.push_back(std::move(c));
}

// Runs `work(connection)` outside a transaction: one statement that reads
// (SQLite readers then never wait for the writer).
template <typename Work>
auto BoardStore::Reading(Work work) {
  std::unique_ptr<SqlConnection> c = Take();
  auto result = work(*c);
  Give(std::move(c));
  return result;
}

// Runs `work(connection)` in one transaction and commits it; a broken unique
// constraint (two processes racing for the same original) runs it again.
template <typename Work>
auto BoardStore::InTransaction(Work work) {
  for (int attempt = 0;; ++attempt) {
    std::unique_ptr<SqlConnection> c = Take();
    try {
      c->Begin();
      auto result = work(*c);
      c->Commit();
      Give(std::move(c));
      return result;
    } catch (const SqlError& e) {
      bool reusable = true;
      try {
        c->Rollback();
      } catch (const SqlError&) {
        reusable = false;
      }
      if (reusable) Give(std::move(c));
      if (!e.conflict || attempt == 3) throw;
    }
  }
}

BoardStore::BoardStore(const std::string& target) : target_(target), postgresql_(IsPostgresqlTarget(target)) {
  const std::string id = postgresql_ ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
  const std::string blob = postgresql_ ? "BYTEA" : "BLOB";
  // Several server processes may start at once on one PostgreSQL: one of them
  // makes the schema, the others find it made.
  for (int attempt = 0;; ++attempt) {
    try {
      InTransaction([&](SqlConnection& c) {
        for (const char* statement : kSchema) c.Run(Replaced(Replaced(statement, "{id}", id), "{blob}", blob));
        return 0;
      });
      break;
    } catch (const SqlError&) {
      if (attempt == 3) throw;
    }
  }
}

BoardStore::~BoardStore() = default;

int64_t BoardStore::Submit(const std::string& bytes, const std::string& sha256, const std::string& address,
                           int64_t now, const std::string& refusal) {
  return InTransaction([&](SqlConnection& c) {
    const SqlRows first = c.Run("SELECT id FROM replays WHERE sha256 = ? AND duplicate_of IS NULL", {sha256});
    if (!first.empty()) {
      const int64_t original = first[0].Integer(0);
      return c
          .Run(
              "INSERT INTO replays (submitted_at, address, sha256, size, duplicate_of, status, reason)"
              " VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING id",
              {now, address, sha256, int64_t(bytes.size()), original, kStatusRefused,
               "duplicate of entry " + std::to_string(original)})
          .at(0)
          .Integer(0);
    }
    return c
        .Run(
            "INSERT INTO replays (submitted_at, address, sha256, size, bytes, status, reason)"
            " VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING id",
            {now, address, sha256, int64_t(bytes.size()), SqlValue::Blob(bytes),
             refusal.empty() ? kStatusQueued : kStatusRefused, refusal})
        .at(0)
        .Integer(0);
  });
}

std::optional<Claim> BoardStore::ClaimNext(const std::string& worker, int64_t now) {
  const std::string skipLocked = postgresql_ ? " FOR UPDATE SKIP LOCKED" : "";
  return InTransaction([&](SqlConnection& c) -> std::optional<Claim> {
    const SqlRows rows = c.Run(
        "UPDATE replays SET status = ?, claimed_by = ?, claimed_at = ?, attempts = attempts + 1"
        " WHERE status = ? AND id = (SELECT id FROM replays WHERE status = ? ORDER BY id LIMIT 1" +
            skipLocked + ") RETURNING id, bytes",
        {kStatusVerifying, worker, now, kStatusQueued, kStatusQueued});
    if (rows.empty()) return std::nullopt;
    return Claim{rows[0].Integer(0), rows[0].Text(1)};
  });
}

bool BoardStore::Finish(int64_t id, const std::string& worker, const Verdict& v, int64_t now) {
  return InTransaction([&](SqlConnection& c) {
    return !c.Run(
                 "UPDATE replays SET status = ?, reason = ?, claimed_by = NULL, claimed_at = NULL,"
                 " verified_by = ?, verified_at = ?, build = ?, recorded = ?, difficulty = ?, start_stage = ?,"
                 " stage_reached = ?, ending = ?, score = ?, place = ?, name = ?, frames = ?, digests = ?,"
                 " medals = ?"
                 " WHERE id = ? AND status = ? AND claimed_by = ? RETURNING id",
                 {v.ranked ? kStatusRanked : kStatusRefused, v.ranked ? std::string() : v.reason, worker, now,
                  v.build, v.recorded, v.difficulty, v.startStage, v.stageReached, v.ending, v.score, v.place,
                  v.name, v.frames, v.digests, v.medals, id, kStatusVerifying, worker})
                .empty();
  });
}

void BoardStore::Release(int64_t id, const std::string& worker) {
  InTransaction([&](SqlConnection& c) {
    c.Run(
        "UPDATE replays SET status = ?, claimed_by = NULL, claimed_at = NULL"
        " WHERE id = ? AND status = ? AND claimed_by = ?",
        {kStatusQueued, id, kStatusVerifying, worker});
    return 0;
  });
}

int64_t BoardStore::RequeueAllClaims() {
  return InTransaction([&](SqlConnection& c) {
    return int64_t(c.Run("UPDATE replays SET status = ?, claimed_by = NULL, claimed_at = NULL"
                         " WHERE status = ? RETURNING id",
                         {kStatusQueued, kStatusVerifying})
                       .size());
  });
}

int64_t BoardStore::RequeueClaimsBefore(int64_t claimedBefore) {
  return InTransaction([&](SqlConnection& c) {
    return int64_t(c.Run("UPDATE replays SET status = ?, claimed_by = NULL, claimed_at = NULL"
                         " WHERE status = ? AND claimed_at < ? RETURNING id",
                         {kStatusQueued, kStatusVerifying, claimedBefore})
                       .size());
  });
}

std::optional<ReplayRecord> BoardStore::Record(int64_t id) {
  return Reading([&](SqlConnection& c) -> std::optional<ReplayRecord> {
    const SqlRows rows = c.Run(std::string("SELECT ") + kRecordColumns + " FROM replays WHERE id = ?", {id});
    if (rows.empty()) return std::nullopt;
    return RecordFromRow(rows[0]);
  });
}

std::vector<BoardEntry> BoardStore::Board(const std::string& difficulty, int limit) {
  return Reading([&](SqlConnection& c) {
    const SqlRows rows = c.Run(
        "SELECT id, name, score, stage_reached, ending, recorded, submitted_at, medals FROM replays"
        " WHERE difficulty = ? AND status = ? AND hidden = 0 ORDER BY score DESC, id LIMIT ?",
        {difficulty, kStatusRanked, limit});
    std::vector<BoardEntry> entries;
    for (const SqlRow& r : rows) {
      BoardEntry e;
      e.id = r.Integer(0);
      e.rank = int(entries.size()) + 1;
      e.name = r.Text(1);
      e.score = r.Real(2);
      e.stageReached = int(r.Integer(3));
      e.ending = r.Text(4);
      e.recorded = r.Text(5);
      e.submittedAt = r.Integer(6);
      e.medals = r.Text(7);
      entries.push_back(std::move(e));
    }
    return entries;
  });
}

std::optional<std::string> BoardStore::RankedReplayBytes(int64_t id) {
  return Reading([&](SqlConnection& c) -> std::optional<std::string> {
    const SqlRows rows =
        c.Run("SELECT bytes FROM replays WHERE id = ? AND status = ? AND hidden = 0", {id, kStatusRanked});
    if (rows.empty() || rows[0].IsNull(0)) return std::nullopt;
    return rows[0].Text(0);
  });
}

bool BoardStore::Hide(int64_t id) {
  return InTransaction([&](SqlConnection& c) {
    return !c.Run("UPDATE replays SET hidden = 1 WHERE id = ? RETURNING id", {id}).empty();
  });
}

int64_t BoardStore::Pending() {
  return Reading([&](SqlConnection& c) {
    return c.Run("SELECT COUNT(*) FROM replays WHERE status = ? OR status = ?", {kStatusQueued, kStatusVerifying})
        .at(0)
        .Integer(0);
  });
}

std::vector<std::string> MedalNames(const std::string& stored) {
  std::vector<std::string> names;
  for (size_t at = 0; at < stored.size();) {
    const size_t comma = std::min(stored.find(',', at), stored.size());
    if (comma > at) names.push_back(stored.substr(at, comma - at));
    at = comma + 1;
  }
  return names;
}

}  // namespace server
