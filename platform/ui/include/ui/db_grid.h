#pragma once
// TDBGrid: a data-aware grid over a db::TDataSource. One row per record of the data set, one
// column per TColumn of Columns(); a column shows its field even when the field itself is
// marked not visible. Nothing is created per record: only visible rows are read and painted.
// The record indicator column (dgIndicator) marks the current record (▶, I while edited, * while
// inserted) and is as wide as the widest mark in the grid's font, whichever row holds it.
//
// Current cell: the data set's current record and SelectedIndex (the column). Moving to
// another row moves the data set (and posts an edited row first, as desktop grids do; a
// failed post keeps the row, its values and the position and goes to
// Application().HandleException). Escape cancels the edit.
// Typing: only with dgEditing in Options, into a column that is not read-only and whose field
// is not read-only; the text is given to the field as typed (a float field reads it with the
// process's number format, decimal comma). Typing into an unedited row first puts the data set
// into Edit (an inserted row stays in Insert).
// Drawing: for each data cell painted while the data set is open, the grid fills the cell
// with its background (the highlight colour when highlighted), draws the field's display
// text, then calls OnDrawColumnCell with Canvas() set up (brush = the cell's background) and
// the column's field yielding the values of the row being drawn; then it may draw the focus
// frame. Title cells and the record indicator never reach the handler.
// Keys reach OnKeyDown first with virtual-key codes; the grid then handles the key as left by
// the handler (a handler that sets Key to 0 stops the grid's own handling).
// A field's FocusControl selects that field's column and focuses the grid.
// The grid itself never inserts or deletes records: screens bind those keys in OnKeyDown.
// Every entry from Qt goes through CallSafely.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/color.h"
#include "ui/control.h"
#include "ui/graphics.h"
#include "ui/types.h"

namespace db {
class TDataSource;
class TField;
}  // namespace db

namespace ui {

class TDBGrid;

class TColumnTitle {
 public:
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { caption_ = std::move(caption); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment) { alignment_ = alignment; }

 private:
  std::string caption_;
  TAlignment alignment_ = TAlignment::taLeftJustify;
};

class TColumn {
 public:
  const std::string& FieldName() const { return fieldName_; }
  void SetFieldName(std::string name);
  // The data set's field of that name, or null (no data set, or no such field).
  db::TField* Field() const;
  TColumnTitle& Title() { return title_; }
  const TColumnTitle& Title() const { return title_; }
  int Width() const { return width_; }
  void SetWidth(int width);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Index() const { return index_; }
  TDBGrid* Grid() const { return grid_; }

 private:
  friend class TDBGrid;
  friend class TDBGridColumns;
  TColumn(TDBGrid* grid, int index) : grid_(grid), index_(index) {}
  TDBGrid* grid_;
  int index_;
  std::string fieldName_;
  TColumnTitle title_;
  int width_ = 64;
  bool readOnly_ = false;
  bool visible_ = true;
  TColor color_ = clWindow;
};

class TDBGridColumns {
 public:
  // Appends a column; the grid shows it at once.
  TColumn* Add();
  int Count() const { return static_cast<int>(columns_.size()); }
  TColumn* Items(int index) const { return columns_.at(index).get(); }
  TColumn* operator[](int index) const { return Items(index); }
  void Clear();

 private:
  friend class TDBGrid;
  explicit TDBGridColumns(TDBGrid* grid) : grid_(grid) {}
  TDBGrid* grid_;
  std::vector<std::unique_ptr<TColumn>> columns_;
};

enum class TDBGridOption : uint16_t {
  dgEditing = 1 << 0,
  dgAlwaysShowEditor = 1 << 1,
  dgTitles = 1 << 2,
  dgIndicator = 1 << 3,
  dgColumnResize = 1 << 4,
  dgColLines = 1 << 5,
  dgRowLines = 1 << 6,
  dgTabs = 1 << 7,
  dgRowSelect = 1 << 8,
  dgAlwaysShowSelection = 1 << 9,
  dgConfirmDelete = 1 << 10,
  dgCancelOnExit = 1 << 11,
};

class TDBGridOptions {
 public:
  TDBGridOptions() = default;
  TDBGridOptions(std::initializer_list<TDBGridOption> options) {
    for (auto o : options) Include(o);
  }
  bool Contains(TDBGridOption o) const { return bits_ & static_cast<uint16_t>(o); }
  void Include(TDBGridOption o) { bits_ |= static_cast<uint16_t>(o); }
  void Exclude(TDBGridOption o) { bits_ &= static_cast<uint16_t>(~static_cast<uint16_t>(o)); }
  bool operator==(const TDBGridOptions&) const = default;

 private:
  uint16_t bits_ = 0;
};

enum class TGridDrawFlag : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };

class TGridDrawState {
 public:
  TGridDrawState() = default;
  bool Contains(TGridDrawFlag f) const { return bits_ & static_cast<uint8_t>(f); }
  void Include(TGridDrawFlag f) { bits_ |= static_cast<uint8_t>(f); }

 private:
  uint8_t bits_ = 0;
};

using TDrawColumnCellEvent = std::function<void(TComponent* Sender, const TRect& Rect, int DataCol,
                                                TColumn* Column, TGridDrawState State)>;
using TDBGridClickEvent = std::function<void(TColumn* Column)>;

class TDBGrid : public TWinControl {
 public:
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  db::TDataSource* DataSource() const;
  void SetDataSource(db::TDataSource* source);

  TDBGridColumns& Columns() { return columns_; }
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions options);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool value) { readOnly_ = value; }

  // The selected column (index into Columns()), -1 when there is none.
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int index);
  // The selected column's field, or null.
  db::TField* SelectedField() const;
  // Selects the first column showing `field`; nothing when no column shows it.
  void SetSelectedField(db::TField* field);

  // The canvas of the paint in progress; raises rtl::Exception outside a paint.
  TCanvas& Canvas();
  // Where the cell of column `column` and data row `row` (0-based, as the data set counts)
  // lies in the widget's coordinates, or an empty rect when it is not on screen.
  TRect CellRect(int column, int row) const;
  // Whether an in-place editor is open.
  bool EditorMode() const;
  // Opens the in-place editor on the current cell (when the rules allow typing).
  void ShowEditor();

  TDrawColumnCellEvent OnDrawColumnCell;
  TDBGridClickEvent OnCellClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TNotifyEvent OnDblClick;
  TKeyEvent OnKeyDown;

 private:
  friend class TColumn;
  friend class TDBGridColumns;
  class Model;
  class View;
  class Delegate;
  class Link;
  class IndicatorHeader;
  void ColumnsChanged();
  // Tells screen readers and other assistive tools, when any listens, that every cell may read
  // differently.
  void TellAssistiveTools();
  bool CanEditColumn(int column) const;
  std::unique_ptr<Link> link_;
  std::unique_ptr<Model> model_;
  std::unique_ptr<Delegate> delegate_;
  View* view_;
  TDBGridColumns columns_{this};
  TDBGridOptions options_{
      TDBGridOption::dgEditing,      TDBGridOption::dgTitles,        TDBGridOption::dgIndicator,
      TDBGridOption::dgColumnResize, TDBGridOption::dgColLines,      TDBGridOption::dgRowLines,
      TDBGridOption::dgTabs,         TDBGridOption::dgConfirmDelete, TDBGridOption::dgCancelOnExit};
  bool defaultDrawing_ = true;
  bool readOnly_ = false;
  int selectedIndex_ = -1;
  TCanvas* paintCanvas_ = nullptr;
};

}  // namespace ui
