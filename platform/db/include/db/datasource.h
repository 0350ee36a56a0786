#pragma once
// TDataSource connects a data set to the controls that show it. Controls subclass TDataLink and
// attach to a data source; every change of the data set reaches each attached link as a
// DataEvent, and the data source's own OnStateChange / OnDataChange handlers run first.
//
// A data source and its links may be destroyed in any order relative to the data set and to each
// other: each side detaches itself. A link handler that raises makes the data set operation that
// notified it raise as well (after the operation, except for UpdateRecord, which comes first).

#include <functional>
#include <vector>

#include "db/dataset_state.h"

namespace db {

class TClientDataSet;
using TDataSet = TClientDataSet;
class TField;

enum class DataEventKind {
  ActiveChanged,   // the data set opened or closed, or the data source got another data set
  StateChanged,    // State() changed (inactive, browse, edit, insert)
  DataSetChanged,  // rows were added, removed or replaced, or the filter changed: redraw all
  RecordMoved,     // the current record is another one
  FieldChanged,    // `field` of the current record got a new value
  UpdateRecord,    // a post is about to run: write any pending editor text into the fields now
  FocusControl,    // `field` asks for the input focus
};

struct DataEvent {
  DataEventKind kind;
  TField* field = nullptr;  // FieldChanged and FocusControl only
};

class TDataSource;

class TDataLink {
 public:
  TDataLink() = default;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;
  virtual ~TDataLink();

  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* source);
  // The data source's data set, or nullptr.
  TDataSet* DataSet() const;

  virtual void OnDataEvent(const DataEvent& event) = 0;

 private:
  friend class TDataSource;
  TDataSource* source_ = nullptr;
};

class TDataSource {
 public:
  explicit TDataSource(TDataSet* dataSet = nullptr);
  TDataSource(const TDataSource&) = delete;
  TDataSource& operator=(const TDataSource&) = delete;
  ~TDataSource();

  TDataSet* DataSet() const { return dataSet_; }
  void SetDataSet(TDataSet* dataSet);
  // The data set's state; Inactive when there is none.
  DataSetState State() const;

  // Runs at every change of State(), including a change of data set.
  std::function<void(TDataSource&)> OnStateChange;
  // Runs when the rows, the current record or one of its fields (given, else nullptr) changed.
  std::function<void(TDataSource&, TField*)> OnDataChange;

 private:
  friend class TDataLink;
  friend class TClientDataSet;
  void Dispatch(const DataEvent& event);
  void AddLink(TDataLink* link);
  void RemoveLink(TDataLink* link);

  TDataSet* dataSet_ = nullptr;
  std::vector<TDataLink*> links_;
};

}  // namespace db
