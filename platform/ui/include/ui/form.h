#pragma once
// TForm: a window. Style fsNormal is a top-level window; fsMDIForm is the main window holding
// the MDI area; fsMDIChild lives inside the main form's MDI area (or, when no MDI main form
// exists, as a top-level window). Forms start hidden.
//
// Creation: a derived form builds its layout in its constructor; TApplication::CreateForm then
// runs DoCreate, which fires OnCreate, so the handler sees the whole layout.
// Closing: Close (and the user closing the window) asks OnCloseQuery, then fires OnClose with
// the default action caHide; the handler may change it: caNone keeps the form open, caHide
// hides it, caMinimize minimizes it, caFree hides it and destroys it at the next turn of the
// event loop (its owner stops owning it). Closing the main form ends the application's loop.
// ShowModal shows the form as an application-modal window and returns only when it closes,
// with ModalResult (mrCancel when nobody set one). Setting ModalResult to non-zero while the
// form is modal closes it. Raises rtl::Exception for an MDI child or an already visible form.
// OnActivate fires when the form becomes the active window or the active MDI child.

#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/types.h"

namespace ui {

class TMainMenu;

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  TFormStyle FormStyle() const { return style_; }
  void SetFormStyle(TFormStyle style);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState state);
  // Puts the menu bar of `menu` at the top of the form (null: none).
  void SetMenu(TMainMenu* menu);

  // Visible, restored if it was hidden, in front, active; not modal.
  void Show();
  // Visible(true) is Show(); Visible(false) hides the form without closing it.
  void SetVisible(bool value) override;
  TModalResult ShowModal();
  void Close();
  bool Modal() const { return modal_; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result);
  void BringToFront();

  void SetFocus() override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnActivate;
  TNotifyEvent OnShow;
  TNotifyEvent OnDestroy;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  // The creation step, after construction: fires OnCreate.
  virtual void DoCreate();
  QWidget* FrameWidget() const override;
  QWidget* ClientWidget() const override;

 private:
  friend class TApplication;
  friend class TScreen;
  class Window;
  class MdiFrame;
  class Impl;
  void CloseRequestedByUser();
  void DoActivate();
  std::unique_ptr<Impl> impl_;
  std::string caption_;
  TFormStyle style_ = TFormStyle::fsNormal;
  bool modal_ = false;
  bool closing_ = false;
  TModalResult modalResult_ = mrNone;
};

}  // namespace ui
