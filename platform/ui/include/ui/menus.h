#pragma once
// Menus. TMenuItem is a command with a caption, an enabling, a visibility, a shortcut (text
// such as "Ctrl+P", "F5", "Ins") and OnClick; it may hold sub-items. TMainMenu is the menu bar
// of a form (TForm::SetMenu); TPopupMenu is the context menu of a control
// (TControl::SetPopupMenu). A shortcut works while the focus is inside the form or control the
// menu belongs to. A disabled item ignores Click(). A menu bar shown by a form is destroyed with
// that form (MenuBar() is null afterwards).

#include <memory>
#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/types.h"

class QAction;
class QMenu;
class QMenuBar;

namespace ui {

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Enabled() const;
  void SetEnabled(bool value);
  bool Visible() const;
  void SetVisible(bool value);
  const std::string& ShortCut() const { return shortcut_; }
  void SetShortCut(std::string shortcut);

  // Adds `item` as a sub-item (this item becomes a sub-menu).
  void Add(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }

  // Runs OnClick when enabled; a raised exception travels to the caller.
  void Click();
  TNotifyEvent OnClick;

  // For platform code.
  QAction* Action() const;
  // This item's action and those of all its sub-items.
  std::vector<QAction*> AllActions() const;

 private:
  std::string caption_;
  std::string shortcut_;
  std::vector<TMenuItem*> items_;
  std::unique_ptr<QAction> action_;
  std::unique_ptr<QMenu> submenu_;
};

class TMainMenu : public TComponent {
 public:
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  void Add(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  QMenuBar* MenuBar() const;

 private:
  std::vector<TMenuItem*> items_;
  struct BarRef;  // the bar dies with the form that shows it, if that form goes first
  std::unique_ptr<BarRef> bar_;
};

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  void Add(TMenuItem* item);
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  QMenu* Menu() const;

 private:
  std::vector<TMenuItem*> items_;
  std::unique_ptr<QMenu> menu_;
};

}  // namespace ui
