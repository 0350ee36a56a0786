#pragma once
// The range table as a text file, for an administrator's backup and restore.
//
// Format: UTF-8 lines separated by "\n" (a "\r" before it is ignored); the first line is the
// header NRSEQRENT;VRPERCINIRENT;VRPERCFIMRENT;VRCORRENT;IDBLOQUEIAPED and each further line one
// range, its five values separated by ';'. Numbers use '.' and the shortest text that reads
// back as the same double (10.5, 0.1, 1e+300), so an export imported again gives the very same
// doubles. An empty value is a missing one. Empty lines are skipped.

#include <cstddef>
#include <istream>
#include <ostream>

#include "ped06900/range_store.h"
#include "rtl/exceptions.h"

namespace ped06900 {

// A file that cannot be imported; the message names the line and what is wrong with it.
class CsvError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// Writes every range, ordered by initial percentage and key. Returns how many were written.
size_t ExportRangesCsv(RangeStore& store, std::ostream& out);

// Adds the file's ranges to the table as inserts, through the same rules as a client's changes
// and in one transaction: a line that breaks a rule (a key that exists included) stores nothing
// and raises CsvError naming the line. StorageError when the database fails. Returns how many
// ranges were added.
size_t ImportRangesCsv(RangeStore& store, std::istream& in);

}  // namespace ped06900
