#pragma once
// TDBNavigator: a row of buttons acting on a db::TDataSource's data set: first, prior, next,
// last, insert, delete, edit, post, cancel, refresh. Each button is enabled only when its
// action makes sense in the data set's state and position (none without an open data set).
// Hints: one text a button, in that order; an empty or short list leaves the rest without a
// hint. BtnClick runs the button's action (nothing when disabled) and then OnClick; delete
// asks for confirmation through the dialog seam when ConfirmDelete is set. A failure raised by
// the data set travels to the caller (from a user's click: to Application().HandleException).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/control.h"

namespace db {
class TDataSource;
}  // namespace db

namespace ui {

enum class TNavigateBtn {
  nbFirst,
  nbPrior,
  nbNext,
  nbLast,
  nbInsert,
  nbDelete,
  nbEdit,
  nbPost,
  nbCancel,
  nbRefresh
};

using TNavClickEvent = std::function<void(TComponent* Sender, TNavigateBtn Button)>;

class TDBNavigator : public TWinControl {
 public:
  explicit TDBNavigator(TComponent* owner);
  ~TDBNavigator() override;

  db::TDataSource* DataSource() const;
  void SetDataSource(db::TDataSource* source);
  const std::vector<std::string>& Hints() const { return hints_; }
  void SetHints(std::vector<std::string> hints);
  bool ConfirmDelete() const { return confirmDelete_; }
  void SetConfirmDelete(bool value) { confirmDelete_ = value; }
  // The text asked before a delete.
  void SetDeleteQuestion(std::string text) { deleteQuestion_ = std::move(text); }

  bool ButtonEnabled(TNavigateBtn button) const;
  void BtnClick(TNavigateBtn button);
  TNavClickEvent OnClick;

 private:
  class Link;
  void UpdateButtons();
  std::vector<std::string> hints_;
  bool confirmDelete_ = true;
  std::string deleteQuestion_ = "Excluir o registro?";
  std::unique_ptr<Link> link_;
};

}  // namespace ui
