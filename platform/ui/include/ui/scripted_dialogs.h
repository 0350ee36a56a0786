#pragma once
// ScriptedDialogs: a DialogService for tests. Every prompt is recorded (kind and text) in
// Shown(). Messages need no answer. Confirmations, colour picks, text prompts and printer
// dialogs each take the next scripted answer of their kind, in order; when none is left the
// prompt raises rtl::Exception naming what was asked, so a test never blocks or guesses.
// ScopedDialogs installs a ScriptedDialogs for its lifetime and restores the previous service.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs.h"

namespace ui {

class ScriptedDialogs : public DialogService {
 public:
  struct Prompt {
    PromptKind kind;
    std::string text;  // the message, question or prompt; for colours the initial colour
  };

  void AnswerConfirm(bool yes) { confirms_.push_back(yes); }
  void AnswerColor(std::optional<TColor> color) { colors_.push_back(color); }
  void AnswerInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
  void AnswerPrinter(bool accept) { printers_.push_back(accept); }

  const std::vector<Prompt>& Shown() const { return shown_; }
  // Initial colour of each colour dialog opened, in order.
  const std::vector<TColor>& ColorDialogInitials() const { return colorInitials_; }
  void ClearShown() { shown_.clear(); }

  void Message(PromptKind kind, const std::string& text) override;
  bool Confirm(const std::string& text) override;
  std::optional<TColor> PickColor(TColor initial) override;
  std::optional<std::string> InputText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
  bool PrinterSetup() override;
  bool PrintSetup() override;

 private:
  std::vector<Prompt> shown_;
  std::vector<TColor> colorInitials_;
  std::deque<bool> confirms_;
  std::deque<std::optional<TColor>> colors_;
  std::deque<std::optional<std::string>> inputs_;
  std::deque<bool> printers_;
};

class ScopedDialogs {
 public:
  ScopedDialogs();
  ~ScopedDialogs();
  ScopedDialogs(const ScopedDialogs&) = delete;
  ScopedDialogs& operator=(const ScopedDialogs&) = delete;

  ScriptedDialogs& operator*() { return *script_; }
  ScriptedDialogs* operator->() { return script_; }

 private:
  ScriptedDialogs* script_;
  std::unique_ptr<DialogService> previous_;
};

}  // namespace ui
