#include "ui/menus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

#include "qt_convert.h"
#include "ui/application.h"

namespace ui {

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), action_(new QAction()) {
  action_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  QObject::connect(action_.get(), &QAction::triggered, action_.get(),
                   [this] { CallSafely([this] { Click(); }); });
}

TMenuItem::~TMenuItem() = default;

void TMenuItem::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  action_->setText(ToQString(caption_));
  if (submenu_) submenu_->setTitle(ToQString(caption_));
}

bool TMenuItem::Enabled() const {
  return action_->isEnabled();
}
void TMenuItem::SetEnabled(bool value) {
  action_->setEnabled(value);
}
bool TMenuItem::Visible() const {
  return action_->isVisible();
}
void TMenuItem::SetVisible(bool value) {
  action_->setVisible(value);
}

void TMenuItem::SetShortCut(std::string shortcut) {
  shortcut_ = std::move(shortcut);
  action_->setShortcut(QKeySequence(ToQString(shortcut_)));
}

void TMenuItem::Add(TMenuItem* item) {
  if (!submenu_) {
    submenu_ = std::make_unique<QMenu>(ToQString(caption_));
    action_->setMenu(submenu_.get());
  }
  items_.push_back(item);
  submenu_->addAction(item->Action());
}

void TMenuItem::Click() {
  if (Enabled() && OnClick) OnClick(this);
}

QAction* TMenuItem::Action() const {
  return action_.get();
}

std::vector<QAction*> TMenuItem::AllActions() const {
  std::vector<QAction*> actions{action_.get()};
  for (const TMenuItem* item : items_) {
    std::vector<QAction*> below = item->AllActions();
    actions.insert(actions.end(), below.begin(), below.end());
  }
  return actions;
}

// ---- TMainMenu ----

struct TMainMenu::BarRef {
  QPointer<QMenuBar> bar;
};

TMainMenu::TMainMenu(TComponent* owner) : TComponent(owner), bar_(new BarRef{new QMenuBar()}) {}

TMainMenu::~TMainMenu() {
  delete bar_->bar.data();
}

void TMainMenu::Add(TMenuItem* item) {
  items_.push_back(item);
  if (bar_->bar) bar_->bar->addAction(item->Action());
}

QMenuBar* TMainMenu::MenuBar() const {
  return bar_->bar;
}

// ---- TPopupMenu ----

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), menu_(new QMenu()) {}
TPopupMenu::~TPopupMenu() = default;

void TPopupMenu::Add(TMenuItem* item) {
  items_.push_back(item);
  menu_->addAction(item->Action());
}

QMenu* TPopupMenu::Menu() const {
  return menu_.get();
}

}  // namespace ui
