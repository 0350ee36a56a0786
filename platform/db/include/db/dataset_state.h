#pragma once
// The states of a data set: Inactive (closed), Browse (open, no pending change), Edit (the
// current record is being changed), Insert (a new record is being added).

namespace db {

enum class DataSetState { Inactive, Browse, Edit, Insert };

const char* DataSetStateName(DataSetState state);

}  // namespace db
