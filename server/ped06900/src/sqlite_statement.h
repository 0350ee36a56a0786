#pragma once
// Thin owners of an SQLite connection and its prepared statements. Every failure raises
// StorageError with the action being done; a busy database (another writer kept the lock past
// the busy timeout) gets a message of its own, since the user can simply try again.

#include <sqlite3.h>

#include <cstdint>
#include <string>

#include "ped06900/range_store.h"

namespace ped06900::sqlite {

[[noreturn]] void Fail(sqlite3* db, int code, const char* action);

class Statement {
 public:
  Statement(sqlite3* db, const char* sql);
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Bind by position, from 1. The text is copied.
  void Bind(int position, double value);
  void Bind(int position, int64_t value);
  void Bind(int position, const std::string& text);

  // Runs to the next row: true when there is one, false when the statement is done (it is then
  // reset, its bindings kept). action names what is being done for the error message.
  bool Step(const char* action);
  // Runs a statement that returns no row.
  void Run(const char* action);
  void Reset() { sqlite3_reset(statement_); }

  double Double(int column) const { return sqlite3_column_double(statement_, column); }
  int64_t Int(int column) const { return sqlite3_column_int64(statement_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(statement_, column) == SQLITE_NULL; }
  std::string Text(int column) const;
  // Rows the last insert, update or delete of the connection touched.
  int Changes() const { return sqlite3_changes(db_); }

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace ped06900::sqlite
