#include "road_fixture.h"

#include "db/packet.h"
#include "ui/application.h"

namespace road_test {

void AsUser(const std::function<void()>& command) {
  ui::CallSafely(command);
}

std::vector<std::string> ErrorsShown(const ui::ScriptedDialogs& dialogs) {
  std::vector<std::string> texts;
  for (const auto& prompt : dialogs.Shown()) {
    if (prompt.kind == ui::PromptKind::Error) texts.push_back(prompt.text);
  }
  return texts;
}

rtl::Variant SequenceAnswer(const std::optional<std::string>& highest) {
  db::DataPacket packet{{{"SEQUENCIAL", db::FieldType::String, 10, {}}}, {}};
  if (highest) packet.rows.push_back({*highest});
  return ped06900_test::Success(db::EncodePacketVariant(packet));
}

rtl::Variant KeysAnswer(const std::vector<std::string>& keys) {
  db::DataPacket packet{{{"NRSEQRENT", db::FieldType::String, 10, {}}}, {}};
  for (const std::string& key : keys) packet.rows.push_back({key});
  return ped06900_test::Success(db::EncodePacketVariant(packet));
}

IntervalScript::IntervalScript() : state_(std::make_shared<State>()) {}

void IntervalScript::Hold(double value, std::vector<std::string> keys) {
  std::lock_guard lock(state_->mutex);
  state_->holders[value] = std::move(keys);
}

void IntervalScript::SetFailing(bool failing) {
  std::lock_guard lock(state_->mutex);
  state_->failing = failing;
}

std::vector<double> IntervalScript::Asked() const {
  std::lock_guard lock(state_->mutex);
  return state_->asked;
}

void IntervalScript::ClearAsked() {
  std::lock_guard lock(state_->mutex);
  state_->asked.clear();
}

ped06900_test::ScriptedServer::Answer IntervalScript::Answer() const {
  return [state = state_](const rtl::VariantArray& args) {
    std::lock_guard lock(state->mutex);
    const double value = args.at(0).AsDouble();
    state->asked.push_back(value);
    if (state->failing) return ped06900_test::Failure("Consulta de intervalos indisponível");
    const auto found = state->holders.find(value);
    return KeysAnswer(found == state->holders.end() ? std::vector<std::string>{} : found->second);
  };
}

}  // namespace road_test
