#pragma once
// The dialog service that opens real Qt dialogs, parented to the active window.

#include "ui/dialogs.h"

namespace ui {

class QtDialogs : public DialogService {
 public:
  void Message(PromptKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  std::optional<TColor> PickColor(TColor initial) override;
  std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
  bool PrinterSetup() override;
  bool PrintSetup() override;
};

}  // namespace ui
