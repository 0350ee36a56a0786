#include "ui/control.h"

#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QWidget>
#include <algorithm>

#include "qt_convert.h"
#include "ui/application.h"
#include "ui/menus.h"

namespace ui {

struct TControl::WidgetRef {
  QPointer<QWidget> widget;
};

// Watches the client widget of a container and lays its aligned children out on resize.
class TWinControl::ResizeWatcher : public QObject {
 public:
  explicit ResizeWatcher(TWinControl* owner) : owner_(owner) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Show) {
      CallSafely([this] { owner_->Realign(); });
    }
    return false;
  }

 private:
  TWinControl* owner_;
};

// ---- TControl ----

TControl::TControl(TComponent* owner, QWidget* widget)
    : TComponent(owner), widget_(new WidgetRef{widget}) {
  widget->hide();
}

TControl::~TControl() {
  if (parent_) parent_->RemoveControl(this);
  if (widget_->widget) delete FrameWidget();
}

QWidget* TControl::Widget() const {
  return widget_->widget;
}
QWidget* TControl::FrameWidget() const {
  return widget_->widget;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  TWinControl* old = parent_;
  if (old) old->RemoveControl(this);
  QWidget* frame = FrameWidget();
  QRect geometry = frame->geometry();
  frame->setParent(parent ? parent->ClientWidget() : nullptr);
  frame->setGeometry(geometry);
  parent_ = parent;
  if (parent) {
    parent->AddControl(this);
    frame->setVisible(visible_);
    parent->Realign();
  }
  if (old) old->Realign();
}

int TControl::Left() const {
  return FrameWidget()->x();
}
int TControl::Top() const {
  return FrameWidget()->y();
}
int TControl::Width() const {
  return FrameWidget()->width();
}
int TControl::Height() const {
  return FrameWidget()->height();
}
void TControl::SetLeft(int value) {
  SetBounds(value, Top(), Width(), Height());
}
void TControl::SetTop(int value) {
  SetBounds(Left(), value, Width(), Height());
}
void TControl::SetWidth(int value) {
  SetBounds(Left(), Top(), value, Height());
}
void TControl::SetHeight(int value) {
  SetBounds(Left(), Top(), Width(), value);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  FrameWidget()->setGeometry(left, top, std::max(0, width), std::max(0, height));
  RequestParentRealign();
}

TRect TControl::BoundsRect() const {
  return FromQRect(FrameWidget()->geometry());
}
TRect TControl::ClientRect() const {
  return FromQRect(Widget()->rect());
}

void TControl::SetVisible(bool value) {
  visible_ = value;
  // Without a parent a control is not placed anywhere; forms show themselves through Show.
  if (parent_) FrameWidget()->setVisible(value);
  RequestParentRealign();
}

bool TControl::Enabled() const {
  return Widget()->isEnabled();
}
void TControl::SetEnabled(bool value) {
  Widget()->setEnabled(value);
}

void TControl::SetHint(std::string hint) {
  hint_ = std::move(hint);
  Widget()->setToolTip(ToQString(hint_));
}

void TControl::SetAlign(TAlign align) {
  align_ = align;
  RequestParentRealign();
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  popup_ = menu;
  QWidget* w = Widget();
  if (!menu) {
    w->setContextMenuPolicy(Qt::DefaultContextMenu);
    return;
  }
  w->setContextMenuPolicy(Qt::CustomContextMenu);
  for (int i = 0; i < menu->Count(); ++i) {
    for (QAction* action : menu->Items(i)->AllActions()) w->addAction(action);
  }
  QObject::disconnect(w, &QWidget::customContextMenuRequested, nullptr, nullptr);
  QObject::connect(w, &QWidget::customContextMenuRequested, w, [this, w](const QPoint& at) {
    CallSafely([&] {
      if (popup_) popup_->Menu()->popup(w->mapToGlobal(at));
    });
  });
}

bool TControl::Focused() const {
  return Widget()->hasFocus();
}
void TControl::SetFocus() {
  Widget()->setFocus(Qt::OtherFocusReason);
}
void TControl::Invalidate() {
  Widget()->update();
}
void TControl::Repaint() {
  Widget()->repaint();
}

void TControl::RequestParentRealign() {
  if (parent_) parent_->Realign();
}

// ---- TWinControl ----

TWinControl::TWinControl(TComponent* owner, QWidget* widget) : TControl(owner, widget) {}

TWinControl::~TWinControl() {
  DetachControls();
  if (watched_ && watched_->widget) watched_->widget->removeEventFilter(watcher_.get());
}

void TWinControl::DetachControls() {
  // Children still here outlive this container's widget: take their widgets out first, so that
  // destroying ours does not destroy theirs behind their back.
  for (TControl* child : controls_) {
    child->parent_ = nullptr;
    if (QWidget* frame = child->widget_->widget ? child->FrameWidget() : nullptr) {
      frame->hide();
      frame->setParent(nullptr);
    }
  }
  controls_.clear();
}

QWidget* TWinControl::ClientWidget() const {
  return Widget();
}

void TWinControl::WatchClientResizes() {
  if (watcher_) return;
  watcher_ = std::make_unique<ResizeWatcher>(this);
  watched_.reset(new WidgetRef{ClientWidget()});
  ClientWidget()->installEventFilter(watcher_.get());
}

void TWinControl::SetRemainderWidget(QWidget* widget) {
  remainder_ = widget;
  Realign();
}

void TWinControl::AddControl(TControl* control) {
  controls_.push_back(control);
  WatchClientResizes();
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TWinControl::Realign() {
  QRect free = ClientWidget()->rect();
  auto place = [](TControl* c, QRect r) {
    c->FrameWidget()->setGeometry(r.normalized().isValid() ? r : QRect(r.topLeft(), QSize(0, 0)));
  };
  // Top and bottom first, then left and right, then the client, in creation order.
  for (TAlign pass : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight}) {
    for (TControl* c : controls_) {
      if (c->Align() != pass || !c->Visible()) continue;
      int h = c->Height(), w = c->Width();
      switch (pass) {
        case TAlign::alTop:
          place(c, QRect(free.left(), free.top(), free.width(), h));
          free.setTop(free.top() + h);
          break;
        case TAlign::alBottom:
          place(c, QRect(free.left(), free.bottom() + 1 - h, free.width(), h));
          free.setBottom(free.bottom() - h);
          break;
        case TAlign::alLeft:
          place(c, QRect(free.left(), free.top(), w, free.height()));
          free.setLeft(free.left() + w);
          break;
        default:
          place(c, QRect(free.right() + 1 - w, free.top(), w, free.height()));
          free.setRight(free.right() - w);
          break;
      }
    }
  }
  for (TControl* c : controls_) {
    if (c->Align() == TAlign::alClient && c->Visible()) place(c, free);
  }
  if (remainder_) remainder_->setGeometry(free);
}

}  // namespace ui
