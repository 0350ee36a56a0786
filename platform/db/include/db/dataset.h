#pragma once
// TClientDataSet: rows held in memory with fixed fields declared in code, a current record,
// the states of dataset_state.h, events, a change log and a filter.
//
// Lifecycle: add the fields (AddStringField, ...) while closed, then CreateDataSet() (open and
// empty) or SetData(packet) (open with the packet's rows). Close() drops rows and change log.
//
// Events, in the order they fire; a Before event (or OnNewRecord) that raises abandons the
// operation and leaves state, values, current record and change log as they were; an After
// event that raises reaches the caller after the operation has happened:
//   Insert/Append: [pending edit posted first, as CheckBrowseMode] BeforeInsert, state Insert,
//                  OnNewRecord, AfterInsert. A raise in OnNewRecord drops the new record.
//   Edit:          BeforeEdit, state Edit, AfterEdit. Nothing in edit or insert state; on a data
//                  set without rows it runs Insert instead.
//   Post:          links' UpdateRecord, BeforePost, record written, state Browse, AfterPost.
//                  Nothing in browse state.
//   Cancel:        BeforeCancel, pending change dropped, state Browse, AfterCancel. Nothing in
//                  browse state.
//   Delete:        BeforeDelete, record removed, state Browse, AfterDelete. In insert state it
//                  cancels instead; on an empty data set it raises.
// Navigation (First, Next, SetRecNo, ...) and changing the filter first end a pending change
// with CheckBrowseMode: posted when a field was written, cancelled otherwise.
//
// Change log: each posted insert, each posted edit that changed a value and each delete adds
// one entry, holding the row before the change and after it. MergeChangeLog makes the current
// rows the base rows (OldValue) and empties the log; CancelUpdates returns every row to its
// state at the last merge. Delta() is the log as a delta packet, each entry's old row being the
// row just before that change (the base row for a row's first change since the merge).
//
// Rows the grid draws: DisplayRowCount() rows, the posted rows that pass the filter plus, in
// insert state, the new record at DisplayRow(). A TRowView makes the fields read another display
// row without moving the current record or firing anything.
//
// Failures raise EDatabaseError (Portuguese message) unless told otherwise.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/dataset_state.h"
#include "db/datasource.h"
#include "db/field.h"
#include "db/packet.h"
#include "rtl/exceptions.h"
#include "rtl/variant.h"

namespace db {

class EDatabaseError : public rtl::Exception {
 public:
  using Exception::Exception;
};

class FilterExpression;

class TClientDataSet {
 public:
  using Event = std::function<void(TDataSet&)>;

  explicit TClientDataSet(std::string name = {});
  TClientDataSet(const TClientDataSet&) = delete;
  TClientDataSet& operator=(const TClientDataSet&) = delete;
  ~TClientDataSet();

  const std::string& Name() const { return name_; }

  // --- Fields (persistent, declared while closed; owned by the data set) ---
  TStringField& AddStringField(std::string name, int size);
  TFloatField& AddFloatField(std::string name);
  TIntegerField& AddIntegerField(std::string name);
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // Raises when there is no field at `index`.
  TField& Field(int index) const;
  // Case-insensitive; FieldByName raises when there is no such field, FindField yields nullptr.
  TField& FieldByName(std::string_view name) const;
  TField* FindField(std::string_view name) const;
  std::vector<FieldDef> FieldDefs() const;

  // --- Opening, closing, data ---
  // Opens with no rows (closing first when open). Raises when no field is declared.
  void CreateDataSet();
  void Close();
  bool Active() const { return state_ != DataSetState::Inactive; }
  DataSetState State() const { return state_; }

  // Every posted row (the filter ignored) as a data packet; Null when closed.
  rtl::Variant Data() const;
  // Replaces every row with the packet's, opening the data set when closed. A pending edit or
  // insert is dropped without events; the change log is emptied; state Browse on the first row.
  // The packet must hold each field under its name with its type (other fields are ignored) and
  // strings that fit; otherwise this raises (EPacketError or EDatabaseError) and the data set
  // stays exactly as it was.
  void SetData(const rtl::Variant& packet);
  // The same for a decoded packet.
  void LoadPacket(DataPacket packet);

  // --- Editing ---
  void Insert();  // before the current record
  void Append();  // after the last record
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  // Ends a pending edit or insert: posts when a field was written since it began, else cancels.
  void CheckBrowseMode();
  // True when a field was written since the pending edit or insert began.
  bool Modified() const { return modified_; }

  // --- Navigation over the rows that pass the filter ---
  void First();
  void Last();
  void Next();   // at the last record sets Eof instead
  void Prior();  // at the first record sets Bof instead
  // Moves by `distance` records, stopping at either end (which sets Bof or Eof).
  void MoveBy(int distance);
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  int RecordCount() const;
  // No posted record passes the filter and none is being inserted.
  bool IsEmpty() const;
  // 1-based position of the current record among the display rows; 0 when there is none.
  int RecNo() const;
  // Moves to the record at 1-based position `recNo`; raises when out of range.
  void SetRecNo(int recNo);

  // --- Rows for a grid ---
  int DisplayRowCount() const;
  // 0-based display row of the current record (of the new record in insert state); -1 if none.
  int DisplayRow() const;

  // --- Change log ---
  int ChangeCount() const;
  rtl::Variant Delta() const;  // a delta packet as a byte-array variant; Null when closed
  DeltaPacket DeltaAsPacket() const;
  void MergeChangeLog();
  // Cancels a pending edit or insert (with its events) and undoes every logged change; links
  // are told the data changed; state Browse.
  void CancelUpdates();

  // --- Filter ---
  // The expression compares fields with literals (=, <>, <, >, <=, >=) joined by AND, OR, NOT
  // and parentheses; literals are numbers or quoted strings. A string field compared with an
  // unquoted number compares as numbers when its text is a number. A Null value passes no
  // comparison. A filter that cannot be compiled raises, naming the expression, when it is
  // switched on (or changed while on), and the previous filter stays in force.
  const std::string& Filter() const { return filterText_; }
  void SetFilter(std::string expression);
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool filtered);

  // --- Events (see the order above) ---
  Event BeforeInsert, OnNewRecord, AfterInsert;
  Event BeforeEdit, AfterEdit;
  Event BeforePost, AfterPost;
  Event BeforeCancel, AfterCancel;
  Event BeforeDelete, AfterDelete;

 private:
  friend class TField;
  friend class TRowView;
  friend class TDataSource;

  struct Origin;
  struct Record {
    Row values;
    // How the record stood at the last merge; meaningful only when origin->epoch == epoch_.
    std::shared_ptr<const Origin> origin;
  };
  struct LogEntry;

  template <typename F>
  F& AddField(std::unique_ptr<F> field);
  [[noreturn]] void Fail(const std::string& why) const;
  void CheckActive() const;
  void SetState(DataSetState state);
  void Notify(DataEventKind kind, TField* field = nullptr);

  // Values the fields read now: the row view's row, the pending buffer or the current record.
  const Row* ReadRow() const;
  const Row* DisplayRowValues(int displayRow) const;
  void CheckCanWrite(const TField& field) const;
  // Stores a converted value into the pending record; CheckCanWrite has passed.
  void WriteField(TField& field, rtl::Variant value);
  // The posted record the fields read now; nullptr for a new record or none.
  const Record* ReadRecord() const;
  rtl::Variant OldFieldValue(int index) const;
  bool OriginValid(const Record& record) const;

  size_t VisibleCount() const;
  size_t StorageIndex(size_t visible) const;
  void RebuildVisible();
  int VisibleIndexOf(size_t storage) const;
  void PlaceCursor(int visible);
  void MoveTo(int visible);
  // Replaces the rows with those of a packet whose rows fit its own fields.
  void Load(DataPacket packet);
  void BeginInsert(bool append);
  void WriteInsert();
  void WriteEdit();
  void DropPending();
  void ReserveLogEntry();
  void ResetCursor();
  void InstallFilter(std::string expression, bool filtered);

  std::string name_;
  std::vector<std::unique_ptr<TField>> fields_;
  std::vector<TDataSource*> sources_;

  DataSetState state_ = DataSetState::Inactive;
  std::vector<Record> records_;
  std::vector<LogEntry> log_;
  uint64_t epoch_ = 0;

  int current_ = -1;  // visible index of the current record, -1 when there is none
  bool bof_ = true;
  bool eof_ = true;
  Row buffer_;        // the record being edited or inserted
  int insertAt_ = 0;  // visible index at which the new record shows in insert state
  bool modified_ = false;
  int viewRow_ = -1;  // display row a TRowView shows, -1 when none

  std::string filterText_;
  bool filtered_ = false;
  std::unique_ptr<FilterExpression> filter_;  // compiled, when filtered_ and the text is not blank
  std::vector<size_t> visible_;               // storage indexes passing the filter, when filter_
};

// While it lives, the fields of `dataSet` read display row `displayRow` (0-based) instead of the
// current record; the current record, state and events are untouched, and writing a field
// raises. Views nest; each restores what was shown before it. Raises EDatabaseError when the row
// does not exist.
class TRowView {
 public:
  TRowView(TDataSet& dataSet, int displayRow);
  TRowView(const TRowView&) = delete;
  TRowView& operator=(const TRowView&) = delete;
  ~TRowView();

 private:
  TDataSet& dataSet_;
  int previous_;
};

}  // namespace db
