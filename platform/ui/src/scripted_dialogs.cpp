#include "ui/scripted_dialogs.h"

#include "rtl/convert.h"
#include "rtl/exceptions.h"

namespace ui {
namespace {

template <class Queue>
auto TakeAnswer(Queue& queue, const char* what, const std::string& text) {
  if (queue.empty()) {
    throw rtl::Exception(std::string("Nenhuma resposta preparada para ") + what + ": " + text);
  }
  auto answer = std::move(queue.front());
  queue.pop_front();
  return answer;
}

}  // namespace

void ScriptedDialogs::Message(PromptKind kind, const std::string& text) {
  shown_.push_back({kind, text});
}

bool ScriptedDialogs::Confirm(const std::string& text) {
  shown_.push_back({PromptKind::Confirmation, text});
  return TakeAnswer(confirms_, "a confirmação", text);
}

std::optional<TColor> ScriptedDialogs::PickColor(TColor initial) {
  std::string text = rtl::IntToStr(initial);
  shown_.push_back({PromptKind::Color, text});
  colorInitials_.push_back(initial);
  return TakeAnswer(colors_, "o diálogo de cor", text);
}

std::optional<std::string> ScriptedDialogs::InputText(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string&) {
  shown_.push_back({PromptKind::Input, prompt});
  return TakeAnswer(inputs_, "a pergunta", caption + " " + prompt);
}

bool ScriptedDialogs::PrinterSetup() {
  shown_.push_back({PromptKind::PrinterSetup, {}});
  return TakeAnswer(printers_, "a configuração da impressora", {});
}

bool ScriptedDialogs::PrintSetup() {
  shown_.push_back({PromptKind::Print, {}});
  return TakeAnswer(printers_, "o diálogo de impressão", {});
}

ScopedDialogs::ScopedDialogs() {
  auto script = std::make_unique<ScriptedDialogs>();
  script_ = script.get();
  previous_ = InstallDialogs(std::move(script));
}

ScopedDialogs::~ScopedDialogs() {
  InstallDialogs(std::move(previous_));
}

}  // namespace ui
