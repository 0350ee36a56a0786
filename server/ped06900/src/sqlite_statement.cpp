#include "sqlite_statement.h"

namespace ped06900::sqlite {

void Fail(sqlite3* db, int code, const char* action) {
  if ((code & 0xff) == SQLITE_BUSY) {
    throw StorageError("O banco de dados está ocupado por outra gravação; tente novamente.");
  }
  throw StorageError(std::string("Falha no banco de dados ao ") + action + ": " +
                     (db ? sqlite3_errmsg(db) : sqlite3_errstr(code)) + ".");
}

Statement::Statement(sqlite3* db, const char* sql) : db_(db) {
  const int code = sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement_, nullptr);
  if (code != SQLITE_OK) Fail(db, code, "preparar uma consulta");
}

void Statement::Bind(int position, double value) {
  sqlite3_bind_double(statement_, position, value);
}

void Statement::Bind(int position, int64_t value) {
  sqlite3_bind_int64(statement_, position, value);
}

void Statement::Bind(int position, const std::string& text) {
  sqlite3_bind_text(statement_, position, text.data(), static_cast<int>(text.size()),
                    SQLITE_TRANSIENT);
}

bool Statement::Step(const char* action) {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  sqlite3_reset(statement_);
  if (code != SQLITE_DONE) Fail(db_, code, action);
  return false;
}

void Statement::Run(const char* action) {
  while (Step(action)) {
  }
}

std::string Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column)))
              : std::string();
}

}  // namespace ped06900::sqlite
