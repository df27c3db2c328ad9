// The SQLite connection: a file in write-ahead-log mode, every write in an
// immediate transaction, synced before its commit returns.
#include <sqlite3.h>

#include "server/database.h"

namespace server {
namespace {

class SqliteConnection : public SqlConnection {
 public:
  explicit SqliteConnection(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      db_ = nullptr;
      throw SqlError("cannot open the database " + path + ": " + why, false);
    }
    sqlite3_busy_timeout(db_, 30000);
    Run("PRAGMA journal_mode=WAL");
    Run("PRAGMA synchronous=FULL");
    Run("PRAGMA foreign_keys=ON");
  }
  ~SqliteConnection() override { sqlite3_close(db_); }

  SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params) override {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK) Fail(st);
    for (size_t i = 0; i < params.size(); ++i) {
      const SqlValue& v = params[i];
      const int at = int(i) + 1;
      int r = SQLITE_OK;
      switch (v.kind) {
        case SqlValue::Kind::Null: r = sqlite3_bind_null(st, at); break;
        case SqlValue::Kind::Integer: r = sqlite3_bind_int64(st, at, v.integer); break;
        case SqlValue::Kind::Real: r = sqlite3_bind_double(st, at, v.real); break;
        case SqlValue::Kind::Text:
          r = sqlite3_bind_text(st, at, v.text.data(), int(v.text.size()), SQLITE_TRANSIENT);
          break;
        case SqlValue::Kind::Blob:
          r = sqlite3_bind_blob(st, at, v.text.data(), int(v.text.size()), SQLITE_TRANSIENT);
          break;
      }
      if (r != SQLITE_OK) Fail(st);
    }
    SqlRows rows;
    for (;;) {
      const int r = sqlite3_step(st);
      if (r == SQLITE_DONE) break;
      if (r != SQLITE_ROW) Fail(st);
      SqlRow row;
      const int n = sqlite3_column_count(st);
      for (int c = 0; c < n; ++c) {
        if (sqlite3_column_type(st, c) == SQLITE_NULL) {
          row.columns.emplace_back();
        } else if (sqlite3_column_type(st, c) == SQLITE_BLOB) {
          const void* p = sqlite3_column_blob(st, c);
          row.columns.emplace_back(std::string(static_cast<const char*>(p), size_t(sqlite3_column_bytes(st, c))));
        } else {
          const unsigned char* p = sqlite3_column_text(st, c);
          row.columns.emplace_back(std::string(reinterpret_cast<const char*>(p), size_t(sqlite3_column_bytes(st, c))));
        }
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return rows;
  }

  void Begin() override { Run("BEGIN IMMEDIATE"); }
  void Commit() override { Run("COMMIT"); }
  void Rollback() override {
    if (!sqlite3_get_autocommit(db_)) Run("ROLLBACK");
  }

 private:
  [[noreturn]] void Fail(sqlite3_stmt* st) {
    const int code = sqlite3_extended_errcode(db_);
    const std::string why = sqlite3_errmsg(db_);
    sqlite3_finalize(st);
    throw SqlError("sqlite: " + why, code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY);
  }
  SqlRows Run(const char* sql) { return Run(std::string(sql), {}); }

  sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& path) {
  return std::make_unique<SqliteConnection>(path);
}

}  // namespace server
