#pragma once
// TControl: a visible component backed by a widget, with a parent container, bounds,
// visibility, enabling, a hint and an alignment inside the parent. TWinControl is a control
// that contains others and lays out their alignment (top, bottom, left, right, client) each
// time it resizes or a child's alignment, size or visibility changes.
// A control is hidden until it has a parent that is shown (a form shows through Show).

#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/types.h"

class QWidget;

namespace ui {

class TWinControl;
class TPopupMenu;

class TControl : public TComponent {
 public:
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  // Places the control in `parent`'s client area (null: takes it out of any container).
  void SetParent(TWinControl* parent);

  int Left() const;
  int Top() const;
  int Width() const;
  int Height() const;
  void SetLeft(int value);
  void SetTop(int value);
  void SetWidth(int value);
  void SetHeight(int value);
  void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const;
  TRect ClientRect() const;

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  bool Enabled() const;
  void SetEnabled(bool value);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  void SetPopupMenu(TPopupMenu* menu);
  TPopupMenu* PopupMenu() const { return popup_; }

  // Whether the control has the keyboard focus; SetFocus gives it the focus.
  bool Focused() const;
  virtual void SetFocus();
  // Schedules a repaint / repaints at once.
  virtual void Invalidate();
  void Repaint();

  // The widget that draws this control, for platform code and the host program only.
  QWidget* Widget() const;

 protected:
  // Takes ownership of `widget`, which must have no parent.
  TControl(TComponent* owner, QWidget* widget);
  // The widget that is placed in the parent and carries the bounds (a form's frame window).
  virtual QWidget* FrameWidget() const;
  void RequestParentRealign();
  // Records the visibility without touching the widget (for controls that show themselves).
  void StoreVisible(bool value) { visible_ = value; }

 private:
  friend class TWinControl;
  struct WidgetRef;
  std::unique_ptr<WidgetRef> widget_;
  TWinControl* parent_ = nullptr;
  TPopupMenu* popup_ = nullptr;
  bool visible_ = true;
  std::string hint_;
  TAlign align_ = TAlign::alNone;
};

class TWinControl : public TControl {
 public:
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  // Lays the aligned children out again inside the client area.
  void Realign();

 protected:
  TWinControl(TComponent* owner, QWidget* widget);
  // The widget into which children are placed; the control's own widget unless overridden.
  virtual QWidget* ClientWidget() const;
  // A widget that takes the space left after the aligned children (the MDI area), or null.
  void SetRemainderWidget(QWidget* widget);
  void WatchClientResizes();
  // Takes every child's widget out of this container (children outliving it stay usable).
  void DetachControls();

 private:
  friend class TControl;
  class ResizeWatcher;
  void AddControl(TControl* control);
  void RemoveControl(TControl* control);
  std::vector<TControl*> controls_;
  QWidget* remainder_ = nullptr;
  std::unique_ptr<ResizeWatcher> watcher_;
  std::unique_ptr<WidgetRef> watched_;
};

}  // namespace ui
