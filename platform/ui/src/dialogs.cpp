#include "ui/dialogs.h"

#include "qt_dialogs.h"

namespace ui {
namespace {

std::unique_ptr<DialogService>& Installed() {
  static std::unique_ptr<DialogService> installed;
  return installed;
}

}  // namespace

DialogService& Dialogs() {
  static QtDialogs qtDialogs;
  auto& installed = Installed();
  return installed ? *installed : static_cast<DialogService&>(qtDialogs);
}

std::unique_ptr<DialogService> InstallDialogs(std::unique_ptr<DialogService> service) {
  std::unique_ptr<DialogService> previous = std::move(Installed());
  Installed() = std::move(service);
  return previous;
}

void ShowError(const std::string& text) {
  Dialogs().Message(PromptKind::Error, text);
}
void ShowInformation(const std::string& text) {
  Dialogs().Message(PromptKind::Information, text);
}
void ShowWarning(const std::string& text) {
  Dialogs().Message(PromptKind::Warning, text);
}
bool Confirm(const std::string& text) {
  return Dialogs().Confirm(text);
}

std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                      const std::string& initial) {
  return Dialogs().InputText(caption, prompt, initial);
}

}  // namespace ui
