#pragma once
// TApplication: the client's application object. It owns every form created through
// CreateForm (unless another owner is given), knows the main form, and is where every failure
// that reaches the event loop ends: HandleException ignores rtl::EAbort and shows any other
// exception's message as an error message box through the dialog seam (an exception that is
// not an rtl::Exception is shown as an unexpected error, with its text).
// Application() needs a QApplication to exist; call Shutdown() before the QApplication is
// destroyed (it destroys the forms it owns).
// TScreen: the screen cursor. Setting a cursor other than crDefault pushes one Qt override
// cursor (or changes the one we pushed); crDefault removes ours. We never hold more than one.
// CallSafely: the boundary every entry from Qt into our code goes through.

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/types.h"

namespace ui {

class TForm;

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Constructs a T (a TForm) with `owner` (null: the application), then runs its creation
  // step (OnCreate) now that the whole layout exists. The first form created while there is
  // no main form becomes the main form. If the creation step raises, the form is destroyed
  // and the exception travels on.
  template <class T, class... Args>
  T* CreateForm(TComponent* owner = nullptr, Args&&... args) {
    std::unique_ptr<T> form(new T(owner ? owner : this, std::forward<Args>(args)...));
    AdoptCreated(form.get());
    return form.release();
  }

  TForm* MainForm() const { return mainForm_; }
  void SetMainForm(TForm* form) { mainForm_ = form; }
  std::string Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }

  // Shows the failure to the user (nothing for EAbort). Never raises.
  void HandleException(const std::exception& error) noexcept;
  // The same for the exception being handled in a catch block (any type).
  void HandleCurrentException() noexcept;

  void ProcessMessages();
  // Runs the event loop until Terminate.
  void Run();
  void Terminate();

  // Destroys a form at the next turn of the event loop (or at Shutdown), whoever owns it;
  // safe to call from the form's own handlers.
  void Release(TForm* form);
  // Destroys every owned form and every form waiting for release.
  void Shutdown();

 private:
  friend class TForm;
  void AdoptCreated(TForm* form);
  void FlushReleased();
  void Forget(TForm* form);

  TForm* mainForm_ = nullptr;
  std::string title_;
  std::vector<std::unique_ptr<TForm>> released_;
  bool flushScheduled_ = false;
};

// The application object (created on first use).
TApplication& Application();

class TScreen {
 public:
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // The active form: the active MDI child, else the active window's form, else null.
  TForm* ActiveForm() const;

 private:
  TCursor cursor_ = crDefault;
  bool overridePushed_ = false;
};

TScreen& Screen();

// Runs `body`; any exception it raises goes to Application().HandleException instead of
// travelling on. Every slot, event filter, paint or timer that enters our code uses this.
void CallSafely(const std::function<void()>& body) noexcept;

}  // namespace ui
