#include "db/datasource.h"

#include <algorithm>

#include "db/dataset.h"

namespace db {

const char* DataSetStateName(DataSetState state) {
  switch (state) {
    case DataSetState::Inactive:
      return "Inactive";
    case DataSetState::Browse:
      return "Browse";
    case DataSetState::Edit:
      return "Edit";
    case DataSetState::Insert:
      return "Insert";
  }
  return "";
}

TDataLink::~TDataLink() {
  SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == source_) return;
  if (source_) source_->RemoveLink(this);
  source_ = source;
  if (source_) source_->AddLink(this);
}

TDataSet* TDataLink::DataSet() const {
  return source_ ? source_->DataSet() : nullptr;
}

TDataSource::TDataSource(TDataSet* dataSet) {
  SetDataSet(dataSet);
}

TDataSource::~TDataSource() {
  if (dataSet_) std::erase(dataSet_->sources_, this);
  for (TDataLink* link : links_) link->source_ = nullptr;
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
  if (dataSet == dataSet_) return;
  const DataSetState before = State();
  if (dataSet_) std::erase(dataSet_->sources_, this);
  dataSet_ = dataSet;
  if (dataSet_) dataSet_->sources_.push_back(this);
  if (State() != before && OnStateChange) OnStateChange(*this);
  Dispatch({DataEventKind::ActiveChanged});
}

DataSetState TDataSource::State() const {
  return dataSet_ ? dataSet_->State() : DataSetState::Inactive;
}

void TDataSource::Dispatch(const DataEvent& event) {
  const DataEventKind kind = event.kind;
  if (kind == DataEventKind::StateChanged && OnStateChange) OnStateChange(*this);
  if ((kind == DataEventKind::DataSetChanged || kind == DataEventKind::RecordMoved ||
       kind == DataEventKind::FieldChanged) &&
      OnDataChange) {
    OnDataChange(*this, event.field);
  }
  // A link may detach itself (or another) while it handles the event.
  const std::vector<TDataLink*> links = links_;
  for (TDataLink* link : links) {
    if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->OnDataEvent(event);
  }
}

void TDataSource::AddLink(TDataLink* link) {
  links_.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
  std::erase(links_, link);
}

}  // namespace db
