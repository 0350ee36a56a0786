#pragma once
// A throw-away range table in a temporary folder, and short ways to write rows and changes.

#include <QTemporaryDir>
#include <memory>
#include <string>

#include "ped06900/range_rules.h"
#include "ped06900/sqlite_range_store.h"
#include "rtl/variant.h"

namespace ped06900::testing {

inline rtl::VariantArray Row(rtl::Variant key, rtl::Variant start, rtl::Variant end,
                             rtl::Variant colour = 255.0, rtl::Variant flag = "N") {
  return {key, start, end, colour, flag};
}

inline rtl::VariantArray Row(const RangeRecord& r) {
  return {r.key, r.start, r.end, r.colour, r.flag};
}

inline RangeChange Insert(rtl::VariantArray row) {
  return {RangeChange::Kind::Insert, {}, std::move(row)};
}
inline RangeChange Modify(rtl::VariantArray oldRow, rtl::VariantArray newRow) {
  return {RangeChange::Kind::Modify, std::move(oldRow), std::move(newRow)};
}
inline RangeChange Delete(rtl::VariantArray oldRow) {
  return {RangeChange::Kind::Delete, std::move(oldRow), {}};
}

class TempDatabase {
 public:
  TempDatabase() : path_(dir_.filePath("rentab.db").toStdString()) {}
  const std::string& Path() const { return path_; }
  std::unique_ptr<SqliteRangeStore> Open() const {
    return std::make_unique<SqliteRangeStore>(path_);
  }

 private:
  QTemporaryDir dir_;
  std::string path_;
};

}  // namespace ped06900::testing
