#pragma once
// The rules that every change of the range table obeys, whoever sends it (a client's delta or an
// imported file). ApplyRangeChanges applies a list of changes in order, in one write
// transaction, each checked against the state the ones before it left; either all of them are
// committed or none is.
//
// Refused, each with a message for the user: a key that is not ten decimal digits; an insert
// whose key exists; a modify or delete whose old row differs from the stored row (another user
// changed or deleted it); a modify that changes the key; a missing or non-finite bound; a
// missing colour, or one that is not a whole number from 0 to 16777215; an initial percentage
// not below the final one after rounding to hundredths (rtl/rounding.h); a flag other than "S"
// or "N"; a bound that lies inside another stored range, both ends included (the range being
// changed excepted; on a modify only a bound whose value changed is checked); a row that is not
// five values of the right types; an empty list of changes.

#include <cstddef>
#include <string>
#include <vector>

#include "ped06900/range_store.h"
#include "rtl/exceptions.h"
#include "rtl/variant.h"

namespace ped06900 {

// Positions of the range record's fields in a row.
enum RangeField : size_t { kKey, kStart, kEnd, kColour, kFlag, kRangeFieldCount };

struct RangeChange {
  enum class Kind { Insert, Modify, Delete };
  Kind kind = Kind::Insert;
  rtl::VariantArray oldRow;  // Modify and Delete: the row as the sender last read it
  rtl::VariantArray newRow;  // Insert and Modify: the row as it shall be stored
};

// A change broke a rule. Position() is the index of the refused change in the list (0 for an
// empty list); nothing was stored.
class RangeRefused : public rtl::Exception {
 public:
  RangeRefused(size_t position, const std::string& message)
      : rtl::Exception(message), position_(position) {}
  size_t Position() const { return position_; }

 private:
  size_t position_;
};

// Raises RangeRefused when a change breaks a rule and StorageError when the database fails;
// in both cases nothing is stored.
void ApplyRangeChanges(RangeStore& store, const std::vector<RangeChange>& changes);

}  // namespace ped06900
