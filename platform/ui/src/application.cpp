#include "ui/application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "rtl/exceptions.h"
#include "ui/dialogs.h"
#include "ui/form.h"

namespace ui {
namespace {

TApplication*& Instance() {
  static TApplication* instance = nullptr;
  return instance;
}

// Runs when the QApplication goes away, so that no form outlives it.
void ShutdownAtQtExit() {
  if (Instance()) Instance()->Shutdown();
}

}  // namespace

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  Shutdown();
}

TApplication& Application() {
  if (!Instance()) {
    Instance() = new TApplication();
    qAddPostRoutine(&ShutdownAtQtExit);
  }
  return *Instance();
}

void TApplication::AdoptCreated(TForm* form) {
  if (!mainForm_) mainForm_ = form;
  try {
    form->DoCreate();
  } catch (...) {
    if (mainForm_ == form) mainForm_ = nullptr;
    throw;
  }
}

void TApplication::HandleException(const std::exception& error) noexcept {
  if (dynamic_cast<const rtl::EAbort*>(&error)) return;
  try {
    // Our own exceptions carry a message for the user; anything else (the standard library's,
    // in English) is shown as an unexpected error with its text for the support staff.
    std::string text = error.what();
    if (!dynamic_cast<const rtl::Exception*>(&error)) {
      text = text.empty() ? "Ocorreu um erro inesperado." : "Ocorreu um erro inesperado: " + text;
    } else if (text.empty()) {
      text = "Ocorreu um erro inesperado.";
    }
    ShowError(text);
  } catch (...) {
    // The message itself failed (e.g. a scripted test ran out of answers); nothing more can be
    // shown, and nothing may travel into the event loop.
  }
}

void TApplication::HandleCurrentException() noexcept {
  try {
    throw;
  } catch (const std::exception& error) {
    HandleException(error);
  } catch (...) {
    HandleException(rtl::Exception("Ocorreu um erro inesperado."));
  }
}

void TApplication::ProcessMessages() {
  QCoreApplication::processEvents();
}

void TApplication::Run() {
  QCoreApplication::exec();
}

void TApplication::Terminate() {
  QCoreApplication::quit();
}

void TApplication::Release(TForm* form) {
  if (form->Owner()) form->Owner()->RemoveComponent(form);
  Forget(form);
  released_.emplace_back(form);
  if (flushScheduled_ || !QCoreApplication::instance()) return;
  flushScheduled_ = true;
  QTimer::singleShot(0, QCoreApplication::instance(), [this] { FlushReleased(); });
}

void TApplication::FlushReleased() {
  flushScheduled_ = false;
  // A form's destruction may release further forms; take the list first.
  auto forms = std::move(released_);
  released_.clear();
  forms.clear();
}

void TApplication::Forget(TForm* form) {
  if (mainForm_ == form) mainForm_ = nullptr;
}

void TApplication::Shutdown() {
  FlushReleased();
  mainForm_ = nullptr;
  while (ComponentCount() > 0) {
    TComponent* last = Components(ComponentCount() - 1);
    RemoveComponent(last);
    delete last;
  }
  FlushReleased();
}

void CallSafely(const std::function<void()>& body) noexcept {
  try {
    body();
  } catch (...) {
    Application().HandleCurrentException();
  }
}

}  // namespace ui
