#pragma once
// The one seam of every modal interaction: message boxes (error, information, warning,
// confirmation), the colour dialog, a text prompt and the printer dialogs. Code calls the free
// functions below; they go to the installed DialogService. The default service opens real Qt
// dialogs; tests install a ScriptedDialogs (see scripted_dialogs.h) that answers from a script
// and records what was shown, so no test ever blocks on a dialog.

#include <memory>
#include <optional>
#include <string>

#include "ui/color.h"

namespace ui {

enum class PromptKind {
  Error,
  Information,
  Warning,
  Confirmation,
  Color,
  Input,
  PrinterSetup,
  Print
};

class DialogService {
 public:
  virtual ~DialogService() = default;
  // Error, information or warning message with an OK button.
  virtual void Message(PromptKind kind, const std::string& text) = 0;
  // Yes/no question; true for yes.
  virtual bool Confirm(const std::string& text) = 0;
  // The chosen colour (0x00BBGGRR), or nothing when cancelled. `initial` is a plain colour.
  virtual std::optional<TColor> PickColor(TColor initial) = 0;
  // A line of text typed by the user, or nothing when cancelled.
  virtual std::optional<std::string> InputText(const std::string& caption,
                                               const std::string& prompt,
                                               const std::string& initial) = 0;
  // The printer set-up and print dialogs over the shared printer (printers.h); true when
  // accepted.
  virtual bool PrinterSetup() = 0;
  virtual bool PrintSetup() = 0;
};

// The service in force (the Qt one unless another was installed).
DialogService& Dialogs();
// Installs `service` (null: back to the Qt one) and returns the previous installed one.
std::unique_ptr<DialogService> InstallDialogs(std::unique_ptr<DialogService> service);

void ShowError(const std::string& text);
void ShowInformation(const std::string& text);
void ShowWarning(const std::string& text);
bool Confirm(const std::string& text);
std::optional<std::string> InputQuery(const std::string& caption, const std::string& prompt,
                                      const std::string& initial = {});

}  // namespace ui
