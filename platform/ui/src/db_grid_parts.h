#pragma once
// The Qt side of TDBGrid: the link that hears the data set, the table model that reads rows on
// demand (it holds nothing per row), the delegate that draws cells and edits them, and the view.

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <exception>
#include <functional>

#include "db/dataset.h"
#include "db/datasource.h"
#include "ui/db_grid.h"

namespace ui {

class TDBGrid::Link : public db::TDataLink {
 public:
  explicit Link(TDBGrid* grid) : grid_(grid) {}
  void OnDataEvent(const db::DataEvent& event) override;
  // The data set when it is open, else null.
  db::TDataSet* OpenDataSet() const;

 private:
  TDBGrid* grid_;
};

class TDBGrid::Model : public QAbstractTableModel {
 public:
  explicit Model(TDBGrid* grid) : grid_(grid) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Re-reads the shape of the data. Only a change of the column count resets the model (the
  // view then forgets its columns' sizes, and true is returned); rows come and go at the end,
  // since the model holds nothing per row. No notice goes out per cell (it would make the view
  // lay itself out again): the grid repaints every cell, and each is read again as it is drawn.
  bool Refresh();
  // Rows the data set shows: an open data set always shows at least one (blank) row.
  int LiveRowCount() const;

 private:
  TDBGrid* grid_;
  int rows_ = 0;
  int columns_ = 0;
};

class TDBGrid::Delegate : public QStyledItemDelegate {
 public:
  explicit Delegate(TDBGrid* grid) : grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;
  void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

  // Writes the open editor's text into its field; raises when the field refuses it.
  void Commit() const;
  bool EditorOpen() const { return Editor() != nullptr; }
  // The open editor; null also while it is being destroyed.
  QLineEdit* Editor() const { return qobject_cast<QLineEdit*>(editor_.data()); }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override;

 private:
  void PaintCell(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const;
  TDBGrid* grid_;
  mutable QPointer<QWidget> editor_;
  mutable QPersistentModelIndex editorIndex_;
};

// The record indicator column: a mark on the current row. Every section is as wide as the
// widest mark in the header's font, so laying out the grid never measures the rows' marks.
class TDBGrid::IndicatorHeader : public QHeaderView {
 public:
  explicit IndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override;
  bool event(QEvent* event) override;

 private:
  mutable QSize markSize_;  // measured on first use, again after a font or style change
};

class TDBGrid::View : public QTableView {
 public:
  explicit View(TDBGrid* grid);

  // Puts the view's current cell on the data set's current record and the selected column.
  void SyncCurrent();
  // Scrolls the current cell into full view when it is not; one already in view costs no
  // layout of the rows.
  void ShowCurrent();
  // Runs `change` (a change of the model's rows) with every move of the current cell it causes
  // taken as the view's own, never as the user's moving to another record.
  void Quietly(const std::function<void()>& change);
  // Closes the editor, writing its text into the field first when `commit`.
  void CloseEditor(bool commit);
  // The grid's own handling of a key after OnKeyDown; true when the key was consumed.
  bool HandleKey(uint16_t key);
  // Runs OnKeyDown; true when the handler consumed the key (set it to 0).
  bool RunKeyDown(const QKeyEvent& event, uint16_t& key);
  // Reports a failure of a paint once, after the paint, until the data changes again.
  void ReportDrawFailure(std::exception_ptr failure);
  void DataChanged() { drawFailureReported_ = false; }
  // Navigation keys coming from the editor.
  void NavigateFromEditor(QKeyEvent* event) { QTableView::keyPressEvent(event); }
  bool ShowsFocus() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void MoveToRow(int row);
  void ChangeColumn(int column);
  TDBGrid* grid_;
  bool syncing_ = false;
  bool drawFailureReported_ = false;
};

}  // namespace ui
