// One face for the score server's two databases: an SQLite file (the default)
// and PostgreSQL. Queries are written once, with `?` for each bound parameter;
// the PostgreSQL connection numbers them ($1, $2, ...) itself. Every value
// reaches the database bound, never spliced into the text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace server {

struct SqlValue {
  enum class Kind { Null, Integer, Real, Text, Blob };
  Kind kind = Kind::Null;
  int64_t integer = 0;
  double real = 0;
  std::string text;  // Text, or the bytes of a Blob

  SqlValue() = default;
  SqlValue(std::nullptr_t) {}
  SqlValue(int v) : kind(Kind::Integer), integer(v) {}
  SqlValue(int64_t v) : kind(Kind::Integer), integer(v) {}
  SqlValue(double v) : kind(Kind::Real), real(v) {}
  SqlValue(const char* v) : kind(Kind::Text), text(v) {}
  SqlValue(std::string v) : kind(Kind::Text), text(std::move(v)) {}
  static SqlValue Blob(std::string bytes) {
    SqlValue v;
    v.kind = Kind::Blob;
    v.text = std::move(bytes);
    return v;
  }
};

// A result row: each column as its text (a blob as its bytes), or nothing for
// NULL.
struct SqlRow {
  std::vector<std::optional<std::string>> columns;
  bool IsNull(size_t i) const { return !columns.at(i); }
  const std::string& Text(size_t i) const;
  int64_t Integer(size_t i) const;
  double Real(size_t i) const;
};
using SqlRows = std::vector<SqlRow>;

// A failure of the database; `conflict` for a broken unique constraint.
struct SqlError : std::runtime_error {
  SqlError(const std::string& what, bool conflict) : std::runtime_error(what), conflict(conflict) {}
  bool conflict;
};

class SqlConnection {
 public:
  virtual ~SqlConnection() = default;
  // Runs one statement (inside the open transaction, if any).
  virtual SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params = {}) = 0;
  // A transaction that writes: SQLite takes the write lock at once.
  virtual void Begin() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
};

// `target` is a postgresql:// (or postgres://) address, else an SQLite file's
// path. Throws SqlError when it cannot be opened.
std::unique_ptr<SqlConnection> OpenSqlConnection(const std::string& target);
bool IsPostgresqlTarget(const std::string& target);

std::unique_ptr<SqlConnection> OpenSqlite(const std::string& path);
std::unique_ptr<SqlConnection> OpenPostgresql(const std::string& address);

}  // namespace server
