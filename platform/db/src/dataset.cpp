#include "db/dataset.h"

#include <algorithm>
#include <cctype>

#include "filter.h"
#include "rtl/utf8.h"

namespace db {

using rtl::Variant;

struct TClientDataSet::Origin {
  uint64_t epoch;
  bool inserted;  // added since the merge of `epoch`; else `base` holds its values then
  Row base;
};

// One change, with what it takes to undo it: `position` is the storage index of the row at the
// time of the change, `prior` the record before it (Modify, Delete), `after` the values it got
// (Insert, Modify). Undoing the entries newest first restores the rows exactly.
struct TClientDataSet::LogEntry {
  ChangeKind kind;
  size_t position;
  Record prior;
  Row after;
};

namespace {

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return std::isspace(static_cast<unsigned char>(c)); });
}

}  // namespace

TClientDataSet::TClientDataSet(std::string name) : name_(std::move(name)) {}

TClientDataSet::~TClientDataSet() {
  for (TDataSource* source : sources_) source->dataSet_ = nullptr;
}

void TClientDataSet::Fail(const std::string& why) const {
  const std::string subject =
      name_.empty() ? "Conjunto de dados" : "Conjunto de dados '" + name_ + "'";
  throw EDatabaseError(subject + ": " + why);
}

void TClientDataSet::CheckActive() const {
  if (!Active()) Fail("a operação não é possível com o conjunto de dados fechado.");
}

// --- Fields ---------------------------------------------------------------------------------

template <typename F>
F& TClientDataSet::AddField(std::unique_ptr<F> field) {
  if (Active()) Fail("campos só podem ser declarados com o conjunto de dados fechado.");
  if (field->FieldName().empty()) Fail("um campo precisa de nome.");
  if (FindField(field->FieldName())) Fail("o campo '" + field->FieldName() + "' já existe.");
  F& added = *field;
  fields_.push_back(std::move(field));
  return added;
}

TStringField& TClientDataSet::AddStringField(std::string name, int size) {
  if (size < 1 || size > kMaxStringSize) Fail("tamanho inválido para o campo '" + name + "'.");
  return AddField(std::make_unique<TStringField>(*this, FieldCount(), std::move(name), size));
}

TFloatField& TClientDataSet::AddFloatField(std::string name) {
  return AddField(std::make_unique<TFloatField>(*this, FieldCount(), std::move(name)));
}

TIntegerField& TClientDataSet::AddIntegerField(std::string name) {
  return AddField(std::make_unique<TIntegerField>(*this, FieldCount(), std::move(name)));
}

TField& TClientDataSet::Field(int index) const {
  if (index < 0 || index >= FieldCount())
    Fail("não há campo na posição " + std::to_string(index) + ".");
  return *fields_[static_cast<size_t>(index)];
}

TField* TClientDataSet::FindField(std::string_view name) const {
  for (const auto& field : fields_) {
    if (SameName(field->FieldName(), name)) return field.get();
  }
  return nullptr;
}

TField& TClientDataSet::FieldByName(std::string_view name) const {
  if (TField* field = FindField(name)) return *field;
  Fail("campo '" + std::string(name) + "' não encontrado.");
}

std::vector<FieldDef> TClientDataSet::FieldDefs() const {
  std::vector<FieldDef> defs;
  defs.reserve(fields_.size());
  for (const auto& field : fields_) defs.push_back(field->Def());
  return defs;
}

// --- Opening, closing, data -----------------------------------------------------------------

void TClientDataSet::CreateDataSet() {
  if (fields_.empty()) Fail("nenhum campo foi declarado.");
  Load(DataPacket{FieldDefs(), {}});
}

void TClientDataSet::Close() {
  if (!Active()) return;
  DropPending();
  std::vector<Record>().swap(records_);
  log_.clear();
  visible_.clear();
  current_ = -1;
  bof_ = eof_ = true;
  SetState(DataSetState::Inactive);
  Notify(DataEventKind::ActiveChanged);
  Notify(DataEventKind::DataSetChanged);
}

Variant TClientDataSet::Data() const {
  if (!Active()) return Variant::Null();
  return Variant::FromBytes(EncodePacketRows(
      FieldDefs(), records_.size(), [this](size_t i) -> const Row& { return records_[i].values; }));
}

void TClientDataSet::SetData(const Variant& packet) {
  Load(DecodePacketVariant(packet));
}

void TClientDataSet::LoadPacket(DataPacket packet) {
  CheckPacket(packet);
  Load(std::move(packet));
}

void TClientDataSet::Load(DataPacket packet) {
  if (fields_.empty()) Fail("nenhum campo foi declarado.");
  // Where each of our fields sits in the packet, and which strings may be too long for us.
  std::vector<size_t> source(fields_.size());
  std::vector<size_t> sizeChecked;
  bool sameOrder = packet.fields.size() == fields_.size();
  for (size_t i = 0; i < fields_.size(); ++i) {
    const TField& field = *fields_[i];
    auto found = std::find_if(packet.fields.begin(), packet.fields.end(), [&](const FieldDef& def) {
      return SameName(def.name, field.FieldName());
    });
    if (found == packet.fields.end() || found->type != field.DataType()) {
      Fail(std::string("o pacote de dados não traz o campo '") + field.FieldName() + "' do tipo " +
           FieldTypeName(field.DataType()) + ".");
    }
    source[i] = static_cast<size_t>(found - packet.fields.begin());
    sameOrder = sameOrder && source[i] == i;
    if (found->type == FieldType::String && found->size > field.Size()) sizeChecked.push_back(i);
  }
  for (const Row& row : packet.rows) {
    for (size_t i : sizeChecked) {
      const Variant& value = row[source[i]];
      if (!value.IsNull() &&
          rtl::Utf8Length(value.StringRef()) > static_cast<size_t>(fields_[i]->Size())) {
        Fail("o pacote de dados traz um valor maior que o campo '" + fields_[i]->FieldName() +
             "'.");
      }
    }
  }

  std::vector<Record> records;
  records.reserve(packet.rows.size());
  for (Row& row : packet.rows) {
    if (sameOrder) {
      records.push_back(Record{std::move(row), nullptr});
    } else {
      Row mapped;
      mapped.reserve(fields_.size());
      for (size_t i = 0; i < fields_.size(); ++i) mapped.push_back(std::move(row[source[i]]));
      records.push_back(Record{std::move(mapped), nullptr});
    }
  }

  // Nothing below can fail on the packet: the data set changes only now.
  const bool wasActive = Active();
  DropPending();
  records_.swap(records);
  log_.clear();
  ++epoch_;
  RebuildVisible();
  ResetCursor();
  SetState(DataSetState::Browse);
  if (!wasActive) Notify(DataEventKind::ActiveChanged);
  Notify(DataEventKind::DataSetChanged);
}

// --- Editing --------------------------------------------------------------------------------

void TClientDataSet::Insert() {
  BeginInsert(false);
}

void TClientDataSet::Append() {
  BeginInsert(true);
}

void TClientDataSet::BeginInsert(bool append) {
  CheckActive();
  CheckBrowseMode();
  if (BeforeInsert) BeforeInsert(*this);
  insertAt_ = append ? static_cast<int>(VisibleCount()) : std::max(current_, 0);
  buffer_.assign(fields_.size(), Variant::Null());
  modified_ = false;
  SetState(DataSetState::Insert);
  try {
    if (OnNewRecord) OnNewRecord(*this);
  } catch (...) {
    DropPending();
    SetState(DataSetState::Browse);
    throw;
  }
  // Defaults given by OnNewRecord do not count as the user's changes.
  modified_ = false;
  Notify(DataEventKind::DataSetChanged);
  if (AfterInsert) AfterInsert(*this);
}

void TClientDataSet::Edit() {
  CheckActive();
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return;
  if (VisibleCount() == 0) {
    Insert();
    return;
  }
  if (BeforeEdit) BeforeEdit(*this);
  buffer_ = records_[StorageIndex(current_)].values;
  modified_ = false;
  SetState(DataSetState::Edit);
  if (AfterEdit) AfterEdit(*this);
}

void TClientDataSet::Post() {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  Notify(DataEventKind::UpdateRecord);
  if (BeforePost) BeforePost(*this);
  if (state_ == DataSetState::Insert) {
    WriteInsert();
  } else if (state_ == DataSetState::Edit) {
    WriteEdit();
  } else {
    return;  // BeforePost itself ended the pending change
  }
  DropPending();
  SetState(DataSetState::Browse);
  Notify(DataEventKind::DataSetChanged);
  if (AfterPost) AfterPost(*this);
}

void TClientDataSet::WriteInsert() {
  const size_t position = static_cast<size_t>(insertAt_) < VisibleCount()
                              ? StorageIndex(static_cast<size_t>(insertAt_))
                              : records_.size();
  ReserveLogEntry();
  Record record{buffer_, std::make_shared<const Origin>(Origin{epoch_, true, {}})};
  records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(position), record);
  log_.push_back(LogEntry{ChangeKind::Insert, position, {}, std::move(buffer_)});
  RebuildVisible();
  const int visible = VisibleIndexOf(position);
  PlaceCursor(visible >= 0 ? visible : insertAt_);
}

void TClientDataSet::WriteEdit() {
  const size_t position = StorageIndex(static_cast<size_t>(current_));
  Record& record = records_[position];
  if (record.values == buffer_) return;  // nothing changed: nothing to log
  ReserveLogEntry();
  LogEntry entry{ChangeKind::Modify, position, record, buffer_};
  if (!OriginValid(record)) {
    record.origin = std::make_shared<const Origin>(Origin{epoch_, false, record.values});
  }
  record.values = std::move(buffer_);
  log_.push_back(std::move(entry));
  RebuildVisible();
  const int visible = VisibleIndexOf(position);
  PlaceCursor(visible >= 0 ? visible : current_);
}

void TClientDataSet::Cancel() {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  if (BeforeCancel) BeforeCancel(*this);
  DropPending();
  SetState(DataSetState::Browse);
  Notify(DataEventKind::DataSetChanged);
  if (AfterCancel) AfterCancel(*this);
}

void TClientDataSet::Delete() {
  CheckActive();
  if (state_ == DataSetState::Insert) {
    Cancel();
    return;
  }
  if (VisibleCount() == 0) Fail("não há registro para excluir.");
  if (BeforeDelete) BeforeDelete(*this);
  const size_t position = StorageIndex(static_cast<size_t>(current_));
  ReserveLogEntry();
  LogEntry entry{ChangeKind::Delete, position, std::move(records_[position]), {}};
  records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(position));
  log_.push_back(std::move(entry));
  DropPending();
  RebuildVisible();
  PlaceCursor(current_);
  SetState(DataSetState::Browse);
  Notify(DataEventKind::DataSetChanged);
  if (AfterDelete) AfterDelete(*this);
}

void TClientDataSet::CheckBrowseMode() {
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) return;
  Notify(DataEventKind::UpdateRecord);
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

void TClientDataSet::DropPending() {
  buffer_.clear();
  modified_ = false;
  insertAt_ = 0;
}

// --- Field access ---------------------------------------------------------------------------

const Row* TClientDataSet::ReadRow() const {
  if (viewRow_ >= 0) return DisplayRowValues(viewRow_);
  if (state_ == DataSetState::Edit || state_ == DataSetState::Insert) return &buffer_;
  if (current_ >= 0 && static_cast<size_t>(current_) < VisibleCount()) {
    return &records_[StorageIndex(static_cast<size_t>(current_))].values;
  }
  return nullptr;
}

const Row* TClientDataSet::DisplayRowValues(int displayRow) const {
  if (displayRow < 0) return nullptr;
  if (state_ == DataSetState::Insert) {
    if (displayRow == insertAt_) return &buffer_;
    if (displayRow > insertAt_) --displayRow;
  } else if (state_ == DataSetState::Edit && displayRow == current_) {
    return &buffer_;
  }
  if (static_cast<size_t>(displayRow) >= VisibleCount()) return nullptr;
  return &records_[StorageIndex(static_cast<size_t>(displayRow))].values;
}

const TClientDataSet::Record* TClientDataSet::ReadRecord() const {
  int row = viewRow_ >= 0 ? viewRow_ : DisplayRow();
  if (state_ == DataSetState::Insert) {
    if (row == insertAt_) return nullptr;
    if (row > insertAt_) --row;
  }
  if (row < 0 || static_cast<size_t>(row) >= VisibleCount()) return nullptr;
  return &records_[StorageIndex(static_cast<size_t>(row))];
}

void TClientDataSet::CheckCanWrite(const TField& field) const {
  if (viewRow_ >= 0) {
    Fail("o campo '" + field.FieldName() + "' não pode ser alterado enquanto outra linha é lida.");
  }
  if (state_ != DataSetState::Edit && state_ != DataSetState::Insert) {
    Fail("o campo '" + field.FieldName() +
         "' só pode ser alterado em modo de edição ou de inclusão.");
  }
}

void TClientDataSet::WriteField(TField& field, Variant value) {
  buffer_[static_cast<size_t>(field.Index())] = std::move(value);
  modified_ = true;
  Notify(DataEventKind::FieldChanged, &field);
}

bool TClientDataSet::OriginValid(const Record& record) const {
  return record.origin && record.origin->epoch == epoch_;
}

Variant TClientDataSet::OldFieldValue(int index) const {
  const Record* record = ReadRecord();
  if (!record) return Variant::Null();
  if (!OriginValid(*record)) return record->values[static_cast<size_t>(index)];
  if (record->origin->inserted) return Variant::Null();
  return record->origin->base[static_cast<size_t>(index)];
}

// --- Navigation -----------------------------------------------------------------------------

size_t TClientDataSet::VisibleCount() const {
  return filter_ ? visible_.size() : records_.size();
}

size_t TClientDataSet::StorageIndex(size_t visible) const {
  return filter_ ? visible_[visible] : visible;
}

int TClientDataSet::VisibleIndexOf(size_t storage) const {
  if (!filter_) return static_cast<int>(storage);
  auto found = std::lower_bound(visible_.begin(), visible_.end(), storage);
  return found != visible_.end() && *found == storage ? static_cast<int>(found - visible_.begin())
                                                      : -1;
}

void TClientDataSet::RebuildVisible() {
  visible_.clear();
  if (!filter_) return;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (filter_->Matches(records_[i].values)) visible_.push_back(i);
  }
}

void TClientDataSet::ResetCursor() {
  current_ = VisibleCount() > 0 ? 0 : -1;
  bof_ = true;
  eof_ = current_ < 0;
}

// Makes visible row `visible` (clamped to the rows there are) the current one, without telling
// the links: for changes that end with a DataSetChanged of their own.
void TClientDataSet::PlaceCursor(int visible) {
  const int count = static_cast<int>(VisibleCount());
  current_ = count == 0 ? -1 : std::clamp(visible, 0, count - 1);
  bof_ = eof_ = count == 0;
}

void TClientDataSet::MoveTo(int visible) {
  const int before = current_;
  PlaceCursor(visible);
  if (current_ != before) Notify(DataEventKind::RecordMoved);
}

void TClientDataSet::First() {
  CheckActive();
  CheckBrowseMode();
  MoveTo(0);
  bof_ = true;
}

void TClientDataSet::Last() {
  CheckActive();
  CheckBrowseMode();
  MoveTo(static_cast<int>(VisibleCount()) - 1);
  eof_ = true;
}

void TClientDataSet::Next() {
  MoveBy(1);
}

void TClientDataSet::Prior() {
  MoveBy(-1);
}

void TClientDataSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  if (distance == 0) return;
  const int64_t target = int64_t{current_} + distance;
  const int64_t count = static_cast<int64_t>(VisibleCount());
  MoveTo(static_cast<int>(std::clamp<int64_t>(target, 0, std::max<int64_t>(count - 1, 0))));
  if (target >= count) eof_ = true;
  if (target < 0) bof_ = true;
}

int TClientDataSet::RecordCount() const {
  return static_cast<int>(VisibleCount());
}

bool TClientDataSet::IsEmpty() const {
  return VisibleCount() == 0 && state_ != DataSetState::Insert;
}

int TClientDataSet::RecNo() const {
  return DisplayRow() + 1;
}

void TClientDataSet::SetRecNo(int recNo) {
  CheckActive();
  CheckBrowseMode();
  if (recNo < 1 || static_cast<size_t>(recNo) > VisibleCount()) {
    Fail("o registro " + std::to_string(recNo) + " não existe.");
  }
  MoveTo(recNo - 1);
}

int TClientDataSet::DisplayRowCount() const {
  return static_cast<int>(VisibleCount()) + (state_ == DataSetState::Insert ? 1 : 0);
}

int TClientDataSet::DisplayRow() const {
  return state_ == DataSetState::Insert ? insertAt_ : current_;
}

// --- Change log -----------------------------------------------------------------------------

// Makes room for one more entry before a change begins, so that logging it cannot fail halfway.
void TClientDataSet::ReserveLogEntry() {
  if (log_.size() == log_.capacity()) log_.reserve(std::max<size_t>(16, log_.capacity() * 2));
}

int TClientDataSet::ChangeCount() const {
  return static_cast<int>(log_.size());
}

DeltaPacket TClientDataSet::DeltaAsPacket() const {
  DeltaPacket delta{FieldDefs(), {}};
  delta.changes.reserve(log_.size());
  for (const LogEntry& entry : log_) {
    Change change{entry.kind, {}, {}};
    if (entry.kind != ChangeKind::Insert) change.oldRow = entry.prior.values;
    if (entry.kind != ChangeKind::Delete) change.newRow = entry.after;
    delta.changes.push_back(std::move(change));
  }
  return delta;
}

Variant TClientDataSet::Delta() const {
  if (!Active()) return Variant::Null();
  return EncodeDeltaVariant(DeltaAsPacket());
}

void TClientDataSet::MergeChangeLog() {
  // Every origin recorded so far belongs to the old epoch and stops counting at once.
  ++epoch_;
  log_.clear();
}

void TClientDataSet::CancelUpdates() {
  if (!Active()) return;
  Cancel();
  for (auto entry = log_.rbegin(); entry != log_.rend(); ++entry) {
    const auto at = records_.begin() + static_cast<std::ptrdiff_t>(entry->position);
    switch (entry->kind) {
      case ChangeKind::Insert:
        records_.erase(at);
        break;
      case ChangeKind::Modify:
        *at = std::move(entry->prior);
        break;
      case ChangeKind::Delete:
        records_.insert(at, std::move(entry->prior));
        break;
    }
  }
  log_.clear();
  RebuildVisible();
  PlaceCursor(current_);
  Notify(DataEventKind::DataSetChanged);
}

// --- Filter ---------------------------------------------------------------------------------

void TClientDataSet::SetFilter(std::string expression) {
  if (filtered_) {
    InstallFilter(std::move(expression), true);
  } else {
    filterText_ = std::move(expression);
  }
}

void TClientDataSet::SetFiltered(bool filtered) {
  if (filtered != filtered_) InstallFilter(filterText_, filtered);
}

void TClientDataSet::InstallFilter(std::string expression, bool filtered) {
  std::unique_ptr<FilterExpression> compiled;
  if (filtered && !IsBlank(expression)) {
    compiled = FilterExpression::Compile(expression, FieldDefs());
  }
  if (Active()) CheckBrowseMode();
  filterText_ = std::move(expression);
  filtered_ = filtered;
  filter_ = std::move(compiled);
  RebuildVisible();
  if (!Active()) return;
  ResetCursor();
  Notify(DataEventKind::DataSetChanged);
}

// --- Notifications --------------------------------------------------------------------------

void TClientDataSet::SetState(DataSetState state) {
  if (state == state_) return;
  state_ = state;
  Notify(DataEventKind::StateChanged);
}

void TClientDataSet::Notify(DataEventKind kind, TField* field) {
  const std::vector<TDataSource*> sources = sources_;
  for (TDataSource* source : sources) {
    if (std::find(sources_.begin(), sources_.end(), source) != sources_.end()) {
      source->Dispatch({kind, field});
    }
  }
}

// --- Row view -------------------------------------------------------------------------------

TRowView::TRowView(TDataSet& dataSet, int displayRow)
    : dataSet_(dataSet), previous_(dataSet.viewRow_) {
  if (displayRow < 0 || displayRow >= dataSet.DisplayRowCount()) {
    dataSet.Fail("a linha " + std::to_string(displayRow) + " não existe.");
  }
  dataSet_.viewRow_ = displayRow;
}

TRowView::~TRowView() {
  dataSet_.viewRow_ = previous_;
}

}  // namespace db
