#pragma once
// SqliteRangeStore: the range table in one SQLite file, through the SQLite library itself (the
// system library that Qt's driver loads too; going direct saves Qt SQL's per-statement cost on
// the hot lookups).
//
// Opening creates the file, its folder's absence aside, and the schema when missing: table
// RENTABILIDADE (key as primary key and as rowid, every column NOT NULL), a covering index
// in start-then-key order, and, when the SQLite library has the R*Tree module, the box table
// RENTABILIDADE_CAIXA kept in step with it inside every write transaction (filled from the
// table when a file made without it is opened). The file runs in WAL
// mode with synchronous FULL, so a committed change survives a crash or a power cut. Writers
// take the lock up front (BEGIN IMMEDIATE) and wait up to busyTimeout for another writer.
//
// Doubles are bound and read as doubles, never through text, so they come back bit-exact
// (SQLite folds -0.0 into 0.0, which compares equal). The store belongs to the thread that
// constructs it. The constructor raises StorageError when the file cannot be opened or set up.

#include <chrono>
#include <memory>
#include <string>

#include "ped06900/range_store.h"

namespace ped06900 {

class SqliteRangeStore : public RangeStore {
 public:
  explicit SqliteRangeStore(const std::string& path,
                            std::chrono::milliseconds busyTimeout = std::chrono::seconds(10));
  ~SqliteRangeStore() override;
  SqliteRangeStore(const SqliteRangeStore&) = delete;
  SqliteRangeStore& operator=(const SqliteRangeStore&) = delete;

  // False when this SQLite has no R*Tree module; lookups then use the plain index.
  bool UsesBoxIndex() const;

  std::vector<RangeRecord> All() override;
  std::optional<std::string> HighestKey() override;
  std::vector<std::string> KeysContaining(double value) override;
  std::unique_ptr<RangeWriter> BeginWrite() override;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace ped06900
