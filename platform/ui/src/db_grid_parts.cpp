#include "db_grid_parts.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTimer>

#include "key_map.h"
#include "qt_convert.h"
#include "ui/application.h"
#include "ui/keys.h"

namespace ui {
namespace {

bool Editing(const db::TDataSet* ds) {
  return ds && (ds->State() == db::DataSetState::Edit || ds->State() == db::DataSetState::Insert);
}

// The record indicator's marks: the current record, one being edited, a new one being inserted.
const QString kBrowseMark = QStringLiteral("▶");
const QString kEditMark = QStringLiteral("I");
const QString kInsertMark = QStringLiteral("*");

TAlignment AlignmentOf(const db::TField* field) {
  if (field && field->DataType() != db::FieldType::String) return TAlignment::taRightJustify;
  return TAlignment::taLeftJustify;
}

}  // namespace

// ---- Link ----

db::TDataSet* TDBGrid::Link::OpenDataSet() const {
  db::TDataSet* ds = DataSet();
  return ds && ds->Active() ? ds : nullptr;
}

void TDBGrid::Link::OnDataEvent(const db::DataEvent& event) {
  View* view = grid_->view_;
  view->DataChanged();
  switch (event.kind) {
    case db::DataEventKind::UpdateRecord:
      // A post is about to run: the text being typed belongs to the record.
      grid_->delegate_->Commit();
      return;
    case db::DataEventKind::StateChanged:
      if (!Editing(OpenDataSet())) view->CloseEditor(false);
      grid_->ColumnsChanged();
      return;
    case db::DataEventKind::ActiveChanged:
    case db::DataEventKind::DataSetChanged:
      view->CloseEditor(false);
      grid_->ColumnsChanged();
      return;
    case db::DataEventKind::RecordMoved:
      view->SyncCurrent();
      view->viewport()->update();
      view->verticalHeader()->viewport()->update();
      return;
    case db::DataEventKind::FieldChanged:
      view->viewport()->update();
      return;
    case db::DataEventKind::FocusControl:
      grid_->SetSelectedField(event.field);
      view->setFocus(Qt::OtherFocusReason);
      return;
  }
}

// ---- Model ----

int TDBGrid::Model::LiveRowCount() const {
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  return ds ? std::max(1, ds->DisplayRowCount()) : 0;
}

int TDBGrid::Model::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TDBGrid::Model::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

bool TDBGrid::Model::Refresh() {
  const int rows = LiveRowCount();
  const int columns = grid_->columns_.Count();
  if (columns != columns_) {
    beginResetModel();
    rows_ = rows;
    columns_ = columns;
    endResetModel();
    return true;
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  } else if (rows < rows_) {
    beginRemoveRows({}, rows, rows_ - 1);
    rows_ = rows;
    endRemoveRows();
  }
  return false;
}

QVariant TDBGrid::Model::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  if (!ds || index.column() >= grid_->columns_.Count()) return {};
  db::TField* field = grid_->columns_.Items(index.column())->Field();
  if (!field || index.row() >= ds->DisplayRowCount()) return {};
  try {
    db::TRowView view(*ds, index.row());
    return ToQString(field->DisplayText());
  } catch (const std::exception&) {
    return {};
  }
}

QVariant TDBGrid::Model::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= grid_->columns_.Count()) return {};
    const TColumn* column = grid_->columns_.Items(section);
    if (role == Qt::DisplayRole) {
      std::string caption = column->Title().Caption();
      if (caption.empty()) {
        const db::TField* field = column->Field();
        caption = field ? field->DisplayLabel() : column->FieldName();
      }
      return ToQString(caption);
    }
    if (role == Qt::TextAlignmentRole) {
      switch (column->Title().Alignment()) {
        case TAlignment::taCenter:
          return int(Qt::AlignCenter);
        case TAlignment::taRightJustify:
          return int(Qt::AlignRight | Qt::AlignVCenter);
        default:
          return int(Qt::AlignLeft | Qt::AlignVCenter);
      }
    }
    return {};
  }
  // The record indicator: a mark on the current record telling its state.
  if (role != Qt::DisplayRole) return {};
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  if (!ds || section != std::max(0, ds->DisplayRow())) return QString();
  switch (ds->State()) {
    case db::DataSetState::Insert:
      return kInsertMark;
    case db::DataSetState::Edit:
      return kEditMark;
    default:
      return kBrowseMark;
  }
}

Qt::ItemFlags TDBGrid::Model::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (grid_->CanEditColumn(index.column())) f |= Qt::ItemIsEditable;
  return f;
}

// ---- Delegate ----

void TDBGrid::Delegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  try {
    PaintCell(painter, option, index);
  } catch (...) {
    grid_->paintCanvas_ = nullptr;
    grid_->view_->ReportDrawFailure(std::current_exception());
  }
}

void TDBGrid::Delegate::PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  const int col = index.column();
  if (!ds || col >= grid_->columns_.Count()) return;
  TColumn* column = grid_->columns_.Items(col);
  db::TField* field = column->Field();
  const int row = index.row();
  const View* view = grid_->view_;

  const bool rowSelect = grid_->options_.Contains(TDBGridOption::dgRowSelect);
  const bool current = row == std::max(0, ds->DisplayRow());
  const bool shows =
      view->ShowsFocus() || grid_->options_.Contains(TDBGridOption::dgAlwaysShowSelection);
  const bool selectedCell = current && (rowSelect || col == grid_->selectedIndex_);
  const bool highlighted = selectedCell && shows;
  TGridDrawState state;
  if (highlighted) state.Include(TGridDrawFlag::gdSelected);
  if (current && col == grid_->selectedIndex_ && view->ShowsFocus()) {
    state.Include(TGridDrawFlag::gdFocused);
  }

  // Restores the painter also when the drawing handler raises.
  struct SavedPainter {
    QPainter* painter;
    explicit SavedPainter(QPainter* p) : painter(p) { painter->save(); }
    ~SavedPainter() { painter->restore(); }
  } saved(painter);
  TCanvas canvas(painter);
  const TRect rect = FromQRect(option.rect);
  canvas.Brush().SetColor(highlighted ? clHighlight : column->Color());
  canvas.Font().SetColor(highlighted ? clHighlightText : clWindowText);
  canvas.FillRect(rect);
  {
    // While the row view lives, the fields read the row being drawn (the blank row of an empty
    // data set has no values: the fields read as missing).
    std::optional<db::TRowView> rowView;
    if (row < ds->DisplayRowCount()) rowView.emplace(*ds, row);
    if (field && grid_->defaultDrawing_) {
      canvas.TextRect(rect, field->DisplayText(), AlignmentOf(field));
    }
    if (grid_->OnDrawColumnCell) {
      grid_->paintCanvas_ = &canvas;
      grid_->OnDrawColumnCell(grid_, rect, col, column, state);
      grid_->paintCanvas_ = nullptr;
    }
  }
  if (state.Contains(TGridDrawFlag::gdFocused) && !rowSelect) {
    painter->setPen(QPen(ToQColor(clWindowText), 1, Qt::DotLine));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
  }
}

QWidget* TDBGrid::Delegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                         const QModelIndex& index) const {
  QWidget* created = nullptr;
  CallSafely([&] {
    db::TDataSet* ds = grid_->link_->OpenDataSet();
    if (!ds || !grid_->CanEditColumn(index.column())) return;
    if (index.row() != std::max(0, ds->DisplayRow())) return;
    // Typing into a row that is not being changed starts its edit (an empty data set starts
    // an insert instead).
    if (!Editing(ds)) ds->Edit();
    if (!Editing(ds) || !grid_->CanEditColumn(index.column())) return;
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    editor->installEventFilter(const_cast<Delegate*>(this));
    editor_ = editor;
    editorIndex_ = index;
    created = editor;
  });
  return created;
}

void TDBGrid::Delegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  CallSafely([&] {
    db::TField* field = grid_->columns_.Items(index.column())->Field();
    static_cast<QLineEdit*>(editor)->setText(field ? ToQString(field->DisplayText()) : QString());
  });
}

void TDBGrid::Delegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                     const QModelIndex&) const {
  if (editor != Editor()) return;
  CallSafely([this] { Commit(); });
}

void TDBGrid::Delegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
  // The view deletes the editor later; from now on it is no longer open.
  if (editor == editor_) editor_.clear();
  QStyledItemDelegate::destroyEditor(editor, index);
}

void TDBGrid::Delegate::Commit() const {
  QLineEdit* editor = Editor();
  if (!editor || !editorIndex_.isValid()) return;
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  if (!Editing(ds) || editorIndex_.column() >= grid_->columns_.Count()) return;
  db::TField* field = grid_->columns_.Items(editorIndex_.column())->Field();
  if (!field) return;
  std::string text = FromQString(editor->text());
  if (text != field->DisplayText()) field->SetText(text);
}

bool TDBGrid::Delegate::eventFilter(QObject* object, QEvent* event) {
  if (object != Editor() || event->type() != QEvent::KeyPress) {
    return QStyledItemDelegate::eventFilter(object, event);
  }
  auto* keyEvent = static_cast<QKeyEvent*>(event);
  View* view = grid_->view_;
  bool consumed = false;
  CallSafely([&] {
    uint16_t key = VirtualKeyOf(*keyEvent);
    if (view->RunKeyDown(*keyEvent, key)) {
      consumed = true;
      return;
    }
    switch (key) {
      case VK_ESCAPE:
      case VK_RETURN:
        consumed = view->HandleKey(key);
        return;
      case VK_UP:
      case VK_DOWN:
      case VK_PRIOR:
      case VK_NEXT:
        // The text goes into the record first; a refused text keeps the editor and the cell.
        consumed = true;
        view->CloseEditor(true);
        view->NavigateFromEditor(keyEvent);
        return;
      default:
        return;
    }
  });
  return consumed || QStyledItemDelegate::eventFilter(object, event);
}

// ---- IndicatorHeader ----

QSize TDBGrid::IndicatorHeader::sectionSizeFromContents(int) const {
  if (markSize_.isValid()) return markSize_;
  ensurePolished();
  QStyleOptionHeader option;
  initStyleOption(&option);
  QFont bold = font();  // sections are measured in bold, as the header measures its texts
  bold.setBold(true);
  option.fontMetrics = QFontMetrics(bold);
  markSize_ = QSize(0, 0);
  for (const QString& mark : {kBrowseMark, kEditMark, kInsertMark}) {
    option.text = mark;
    markSize_ = markSize_.expandedTo(
        style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this));
  }
  return markSize_;
}

bool TDBGrid::IndicatorHeader::event(QEvent* event) {
  const bool remeasure =
      event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange;
  if (remeasure) markSize_ = QSize();
  const bool handled = QHeaderView::event(event);
  if (remeasure && count() > 0) {
    headerDataChanged(Qt::Vertical, 0, 0);  // forgets the header's own measure
    emit geometriesChanged();               // the view lays the column out again
  }
  return handled;
}

// ---- View ----

TDBGrid::View::View(TDBGrid* grid) : grid_(grid) {
  setVerticalHeader(new IndicatorHeader(this));
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  setWordWrap(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(std::max(18, fontMetrics().height() + 4));
  verticalHeader()->setMinimumWidth(14);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

bool TDBGrid::View::ShowsFocus() const {
  return hasFocus() ||
         (grid_->delegate_ && grid_->delegate_->Editor() && grid_->delegate_->Editor()->hasFocus());
}

void TDBGrid::View::SyncCurrent() {
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  if (!ds || !model() || model()->rowCount() == 0 || grid_->selectedIndex_ < 0) return;
  QModelIndex target = model()->index(std::max(0, ds->DisplayRow()), grid_->selectedIndex_);
  if (!target.isValid() || currentIndex() == target) return;
  syncing_ = true;
  setCurrentIndex(target);
  syncing_ = false;
  scrollTo(target);
}

void TDBGrid::View::ShowCurrent() {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return;
  const auto inView = [](const QHeaderView* header, int section, int extent) {
    const int start = header->sectionViewportPosition(section);
    return start >= 0 && start + header->sectionSize(section) <= extent;
  };
  if (inView(verticalHeader(), current.row(), viewport()->height()) &&
      inView(horizontalHeader(), current.column(), viewport()->width())) {
    return;
  }
  scrollTo(current);
}

void TDBGrid::View::Quietly(const std::function<void()>& change) {
  const bool wasSyncing = syncing_;
  syncing_ = true;
  try {
    change();
  } catch (...) {
    syncing_ = wasSyncing;
    throw;
  }
  syncing_ = wasSyncing;
}

void TDBGrid::View::CloseEditor(bool commit) {
  QLineEdit* editor = grid_->delegate_ ? grid_->delegate_->Editor() : nullptr;
  if (!editor) return;
  if (commit) grid_->delegate_->Commit();
  closeEditor(editor, QAbstractItemDelegate::NoHint);
  setFocus(Qt::OtherFocusReason);
}

bool TDBGrid::View::RunKeyDown(const QKeyEvent& event, uint16_t& key) {
  if (key == 0 || !grid_->OnKeyDown) return false;
  grid_->OnKeyDown(grid_, key, ShiftStateOf(event.modifiers()));
  return key == 0;
}

bool TDBGrid::View::HandleKey(uint16_t key) {
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  switch (key) {
    case VK_ESCAPE:
      CloseEditor(false);
      if (Editing(ds)) ds->Cancel();
      return true;
    case VK_RETURN:
      // Enter ends typing; it never starts it (Ctrl+Enter usually posts the record).
      if (!grid_->delegate_->EditorOpen()) return false;
      CloseEditor(true);
      return true;
    case VK_F2:
      grid_->ShowEditor();
      return true;
    default:
      return false;
  }
}

void TDBGrid::View::keyPressEvent(QKeyEvent* event) {
  bool consumed = false;
  CallSafely([&] {
    uint16_t key = VirtualKeyOf(*event);
    consumed = RunKeyDown(*event, key) || HandleKey(key);
  });
  if (!consumed) QTableView::keyPressEvent(event);
}

void TDBGrid::View::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  CallSafely([this] {
    if (grid_->OnDblClick) grid_->OnDblClick(grid_);
  });
}

void TDBGrid::View::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  QModelIndex index = indexAt(event->pos());
  if (!index.isValid() || event->button() != Qt::LeftButton) return;
  CallSafely([&] {
    if (grid_->OnCellClick) grid_->OnCellClick(grid_->columns_.Items(index.column()));
  });
}

void TDBGrid::View::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (syncing_) {
    QTableView::currentChanged(current, previous);
    return;
  }
  // The text being typed goes into the record before the cell changes; a refused text keeps
  // the cell.
  try {
    if (grid_->delegate_->EditorOpen()) CloseEditor(true);
  } catch (...) {
    Application().HandleCurrentException();
    SyncCurrent();
    return;
  }
  QTableView::currentChanged(current, previous);
  CallSafely([&] {
    if (!current.isValid()) return;
    if (!previous.isValid() || current.row() != previous.row()) MoveToRow(current.row());
    if (current.column() != grid_->selectedIndex_) ChangeColumn(current.column());
  });
  // Whatever happened (a refused post keeps the edited row), show where the data set is.
  QModelIndex wanted = currentIndex();
  SyncCurrent();
  if (wanted != currentIndex()) viewport()->update();
}

void TDBGrid::View::MoveToRow(int row) {
  db::TDataSet* ds = grid_->link_->OpenDataSet();
  if (!ds || ds->DisplayRowCount() == 0) return;
  const int from = ds->DisplayRow();
  if (row == from) return;
  // Leaving an edited row posts it (or drops an untouched one), as desktop grids do. A new
  // record that is dropped takes its display row with it.
  if (Editing(ds)) {
    const bool inserting = ds->State() == db::DataSetState::Insert;
    const int before = ds->DisplayRowCount();
    ds->CheckBrowseMode();
    if (inserting && ds->DisplayRowCount() < before && row > from) --row;
  }
  row = std::clamp(row, 0, ds->DisplayRowCount() - 1);
  if (row + 1 != ds->RecNo()) ds->SetRecNo(row + 1);
}

void TDBGrid::View::ChangeColumn(int column) {
  if (grid_->OnColExit) grid_->OnColExit(grid_);
  grid_->selectedIndex_ = column;
  viewport()->update();
  if (grid_->OnColEnter) grid_->OnColEnter(grid_);
}

void TDBGrid::View::focusInEvent(QFocusEvent* event) {
  QTableView::focusInEvent(event);
  viewport()->update();
}

void TDBGrid::View::focusOutEvent(QFocusEvent* event) {
  QTableView::focusOutEvent(event);
  viewport()->update();
}

void TDBGrid::View::ReportDrawFailure(std::exception_ptr failure) {
  // Showing a message inside a paint would paint again and again; report once, afterwards.
  if (drawFailureReported_) return;
  drawFailureReported_ = true;
  QTimer::singleShot(0, this, [failure] {
    try {
      std::rethrow_exception(failure);
    } catch (...) {
      Application().HandleCurrentException();
    }
  });
}

}  // namespace ui
