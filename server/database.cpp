#include "server/database.h"

#include <cstdlib>

namespace server {

const std::string& SqlRow::Text(size_t i) const {
  static const std::string kEmpty;
  const auto& c = columns.at(i);
  return c ? *c : kEmpty;
}

int64_t SqlRow::Integer(size_t i) const {
  const auto& c = columns.at(i);
  return c ? std::strtoll(c->c_str(), nullptr, 10) : 0;
}

double SqlRow::Real(size_t i) const {
  const auto& c = columns.at(i);
  return c ? std::strtod(c->c_str(), nullptr) : 0;
}

bool IsPostgresqlTarget(const std::string& target) {
  return target.rfind("postgresql://", 0) == 0 || target.rfind("postgres://", 0) == 0;
}

std::unique_ptr<SqlConnection> OpenSqlConnection(const std::string& target) {
  return IsPostgresqlTarget(target) ? OpenPostgresql(target) : OpenSqlite(target);
}

}  // namespace server
