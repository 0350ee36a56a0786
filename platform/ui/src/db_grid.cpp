#include "ui/db_grid.h"

#include <QAccessible>
#include <QHeaderView>

#include "db_grid_parts.h"
#include "rtl/exceptions.h"
#include "ui/application.h"

namespace ui {

// ---- TColumn / TDBGridColumns ----

void TColumn::SetFieldName(std::string name) {
  fieldName_ = std::move(name);
  grid_->ColumnsChanged();
}

db::TField* TColumn::Field() const {
  db::TDataSet* ds = grid_->link_->DataSet();
  return ds ? ds->FindField(fieldName_) : nullptr;
}

void TColumn::SetWidth(int width) {
  width_ = std::max(0, width);
  grid_->view_->horizontalHeader()->resizeSection(index_, width_);
}

void TColumn::SetVisible(bool value) {
  visible_ = value;
  grid_->view_->setColumnHidden(index_, !value);
}

void TColumn::SetColor(TColor color) {
  color_ = color;
  grid_->view_->viewport()->update();
}

TColumn* TDBGridColumns::Add() {
  columns_.emplace_back(new TColumn(grid_, Count()));
  if (grid_->selectedIndex_ < 0) grid_->selectedIndex_ = 0;
  grid_->ColumnsChanged();
  return columns_.back().get();
}

void TDBGridColumns::Clear() {
  columns_.clear();
  grid_->selectedIndex_ = -1;
  grid_->ColumnsChanged();
}

// ---- TDBGrid ----

TDBGrid::TDBGrid(TComponent* owner) : TWinControl(owner, new View(this)) {
  link_ = std::make_unique<Link>(this);
  model_ = std::make_unique<Model>(this);
  delegate_ = std::make_unique<Delegate>(this);
  view_ = static_cast<View*>(Widget());
  view_->setModel(model_.get());
  view_->setItemDelegate(delegate_.get());
  QObject::connect(view_->horizontalHeader(), &QHeaderView::sectionResized, view_,
                   [this](int section, int, int size) {
                     if (section < columns_.Count()) columns_.Items(section)->width_ = size;
                   });
  SetOptions(options_);
}

TDBGrid::~TDBGrid() {
  link_->SetDataSource(nullptr);
  delete view_;  // before the model and delegate it uses
}

db::TDataSource* TDBGrid::DataSource() const {
  return link_->DataSource();
}

void TDBGrid::SetDataSource(db::TDataSource* source) {
  delegate_->Commit();
  view_->CloseEditor(false);
  link_->SetDataSource(source);
  ColumnsChanged();
}

void TDBGrid::SetOptions(TDBGridOptions options) {
  const bool editingDropped =
      options_.Contains(TDBGridOption::dgEditing) && !options.Contains(TDBGridOption::dgEditing);
  options_ = options;
  if (editingDropped && delegate_->EditorOpen()) view_->CloseEditor(true);
  view_->horizontalHeader()->setVisible(options.Contains(TDBGridOption::dgTitles));
  view_->verticalHeader()->setVisible(options.Contains(TDBGridOption::dgIndicator));
  view_->setShowGrid(options.Contains(TDBGridOption::dgColLines) ||
                     options.Contains(TDBGridOption::dgRowLines));
  view_->horizontalHeader()->setSectionsMovable(false);
  view_->horizontalHeader()->setSectionResizeMode(options.Contains(TDBGridOption::dgColumnResize)
                                                      ? QHeaderView::Interactive
                                                      : QHeaderView::Fixed);
  view_->setTabKeyNavigation(options.Contains(TDBGridOption::dgTabs));
  view_->viewport()->update();
}

void TDBGrid::SetSelectedIndex(int index) {
  if (index < 0 || index >= columns_.Count() || index == selectedIndex_) return;
  if (db::TDataSet* ds = link_->OpenDataSet(); ds && model_->rowCount() > 0) {
    const int row = std::max(0, ds->DisplayRow());
    view_->setCurrentIndex(model_->index(row, index));  // fires the column change
    return;
  }
  if (OnColExit) OnColExit(this);
  selectedIndex_ = index;
  if (OnColEnter) OnColEnter(this);
}

db::TField* TDBGrid::SelectedField() const {
  if (selectedIndex_ < 0 || selectedIndex_ >= columns_.Count()) return nullptr;
  return columns_.Items(selectedIndex_)->Field();
}

void TDBGrid::SetSelectedField(db::TField* field) {
  if (!field) return;
  for (int i = 0; i < columns_.Count(); ++i) {
    if (columns_.Items(i)->Field() == field) {
      SetSelectedIndex(i);
      return;
    }
  }
}

TCanvas& TDBGrid::Canvas() {
  if (!paintCanvas_) {
    throw rtl::Exception("A superfície de desenho da grade só existe durante a pintura.");
  }
  return *paintCanvas_;
}

TRect TDBGrid::CellRect(int column, int row) const {
  if (column < 0 || column >= model_->columnCount() || row < 0 || row >= model_->rowCount()) {
    return {};
  }
  QRect r = view_->visualRect(model_->index(row, column));
  if (!r.isValid() || !view_->viewport()->rect().intersects(r)) return {};
  r.translate(view_->viewport()->geometry().topLeft());
  return Bounds(r.x(), r.y(), r.width(), r.height());
}

bool TDBGrid::EditorMode() const {
  return delegate_->EditorOpen();
}

void TDBGrid::ShowEditor() {
  if (!CanEditColumn(selectedIndex_)) return;
  view_->SyncCurrent();
  view_->edit(view_->currentIndex());
}

bool TDBGrid::CanEditColumn(int column) const {
  if (readOnly_ || !options_.Contains(TDBGridOption::dgEditing)) return false;
  if (column < 0 || column >= columns_.Count() || !link_->OpenDataSet()) return false;
  const TColumn* c = columns_.Items(column);
  return !c->ReadOnly() && c->Field() != nullptr;
}

void TDBGrid::ColumnsChanged() {
  const int rowsBefore = model_->rowCount();
  bool reset = false;
  view_->Quietly([&] { reset = model_->Refresh(); });
  if (reset) {
    // A reset view has forgotten its columns' widths and which ones are hidden.
    for (int i = 0; i < columns_.Count(); ++i) {
      const TColumn* c = columns_.Items(i);
      view_->horizontalHeader()->resizeSection(i, c->Width());
      view_->setColumnHidden(i, !c->Visible());
    }
  }
  view_->SyncCurrent();
  // A record that came or went shows where the data set now stands, wherever the user had
  // scrolled to.
  if (reset || model_->rowCount() != rowsBefore) view_->ShowCurrent();
  view_->viewport()->update();                    // every cell may read differently
  view_->verticalHeader()->viewport()->update();  // the indicator's mark may have moved
  TellAssistiveTools();
}

void TDBGrid::TellAssistiveTools() {
#if QT_CONFIG(accessibility)
  const int rows = model_->rowCount();
  const int columns = model_->columnCount();
  if (!QAccessible::isActive() || rows == 0 || columns == 0) return;
  QAccessibleTableModelChangeEvent changed(view_, QAccessibleTableModelChangeEvent::DataChanged);
  changed.setFirstRow(0);
  changed.setFirstColumn(0);
  changed.setLastRow(rows - 1);
  changed.setLastColumn(columns - 1);
  QAccessible::updateAccessibility(&changed);
#endif
}

}  // namespace ui
