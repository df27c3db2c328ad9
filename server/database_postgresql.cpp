// The PostgreSQL connection (libpqxx). Parameters travel in text form, a blob
// as bytea's hex text; a bytea column is read back through libpqxx.
#include <pqxx/pqxx>

#include "server/database.h"

namespace server {
namespace {

constexpr unsigned kByteaOid = 17;

std::string Numbered(const std::string& sql) {
  std::string out;
  int n = 0;
  for (char c : sql) {
    if (c == '?') {
      out += '$' + std::to_string(++n);
    } else {
      out += c;
    }
  }
  return out;
}

std::string ToByteaHex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string out = "\\x";
  out.reserve(2 + bytes.size() * 2);
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

class PostgresqlConnection : public SqlConnection {
 public:
  explicit PostgresqlConnection(const std::string& address) {
    try {
      connection_ = std::make_unique<pqxx::connection>(address);
    } catch (const std::exception& e) {
      throw SqlError(std::string("cannot connect to PostgreSQL: ") + e.what(), false);
    }
  }

  SqlRows Run(const std::string& sql, const std::vector<SqlValue>& params) override {
    std::vector<std::string> texts(params.size());
    std::vector<const char*> values(params.size(), nullptr);
    for (size_t i = 0; i < params.size(); ++i) {
      const SqlValue& v = params[i];
      switch (v.kind) {
        case SqlValue::Kind::Null: continue;
        case SqlValue::Kind::Integer: texts[i] = std::to_string(v.integer); break;
        case SqlValue::Kind::Real: texts[i] = pqxx::to_string(v.real); break;
        case SqlValue::Kind::Text: texts[i] = v.text; break;
        case SqlValue::Kind::Blob: texts[i] = ToByteaHex(v.text); break;
      }
      values[i] = texts[i].c_str();
    }
    try {
      pqxx::result r;
      if (work_) {
        r = work_->exec_params(Numbered(sql), pqxx::prepare::make_dynamic_params(values));
      } else {
        pqxx::nontransaction once(*connection_);
        r = once.exec_params(Numbered(sql), pqxx::prepare::make_dynamic_params(values));
      }
      SqlRows rows;
      rows.reserve(r.size());
      for (const auto& field_row : r) {
        SqlRow row;
        for (pqxx::row::size_type c = 0; c < field_row.size(); ++c) {
          const pqxx::field f = field_row[c];
          if (f.is_null()) {
            row.columns.emplace_back();
          } else if (r.column_type(c) == kByteaOid) {
            row.columns.emplace_back(pqxx::binarystring(f).str());
          } else {
            row.columns.emplace_back(std::string(f.c_str(), f.size()));
          }
        }
        rows.push_back(std::move(row));
      }
      return rows;
    } catch (const pqxx::unique_violation& e) {
      work_.reset();
      throw SqlError(std::string("postgresql: ") + e.what(), true);
    } catch (const pqxx::failure& e) {
      work_.reset();
      throw SqlError(std::string("postgresql: ") + e.what(), false);
    }
  }

  void Begin() override { work_ = std::make_unique<pqxx::work>(*connection_); }
  void Commit() override {
    if (!work_) throw SqlError("postgresql: the transaction was already aborted", false);
    try {
      work_->commit();
    } catch (const pqxx::failure& e) {
      work_.reset();
      throw SqlError(std::string("postgresql: ") + e.what(), false);
    }
    work_.reset();
  }
  void Rollback() override {
    if (!connection_->is_open()) throw SqlError("postgresql: the connection is lost", false);
    if (work_) {
      try {
        work_->abort();
      } catch (const std::exception&) {
      }
      work_.reset();
    }
  }

 private:
  std::unique_ptr<pqxx::connection> connection_;
  std::unique_ptr<pqxx::work> work_;
};

}  // namespace

std::unique_ptr<SqlConnection> OpenPostgresql(const std::string& address) {
  return std::make_unique<PostgresqlConnection>(address);
}

}  // namespace server
