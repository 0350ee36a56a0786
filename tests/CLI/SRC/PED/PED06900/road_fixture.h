#pragma once
// What the tests of one change's road (new range defaults, validation, saving) share: running a
// command as the user does, the error messages the user saw, and scripted answers of GetSeq and
// GetIntervalo for the scripted server object.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "module_fixture.h"
#include "rtl/variant.h"
#include "ui/scripted_dialogs.h"

namespace road_test {

// Runs `command` as a click or key of the user would: a failure it raises ends at the
// application's exception handler (a message for the user, nothing for the silent abort).
void AsUser(const std::function<void()>& command);

// The texts of the error messages shown so far, in order.
std::vector<std::string> ErrorsShown(const ui::ScriptedDialogs& dialogs);

// A successful GetSeq answer: one row holding `highest`, or no row at all.
rtl::Variant SequenceAnswer(const std::optional<std::string>& highest);

// A successful GetIntervalo answer: one row per key.
rtl::Variant KeysAnswer(const std::vector<std::string>& keys);

// The server side of GetIntervalo: which stored keys hold each value (none unless told), and
// every value asked about, in order. Answers from the server's worker thread.
class IntervalScript {
 public:
  IntervalScript();
  // `keys` hold `value` from now on.
  void Hold(double value, std::vector<std::string> keys);
  // From now on every query fails (true) or is answered (false).
  void SetFailing(bool failing);
  std::vector<double> Asked() const;
  void ClearAsked();
  ped06900_test::ScriptedServer::Answer Answer() const;

 private:
  struct State {
    mutable std::mutex mutex;
    std::map<double, std::vector<std::string>> holders;
    std::vector<double> asked;
    bool failing = false;
  };
  std::shared_ptr<State> state_;
};

}  // namespace road_test
