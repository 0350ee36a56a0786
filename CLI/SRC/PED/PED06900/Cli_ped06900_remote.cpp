#include "Cli_ped06900_remote.h"

#include <exception>

#include "orv/consiste.h"
#include "ui/application.h"

namespace Cli_ped06900 {
namespace {

// Shows the indicator, calls and checks the answer; returns its payload. The caller hides the
// indicator once it has used the payload.
rtl::Variant CheckedCall(orv::TShowAvi kind, const RemoteCall& call) {
  orv::ActiveShowAvi(ui::Application().MainForm(), kind);
  return orv::CheckResultServ(call(), true, 0);
}

}  // namespace

void RemoteRead(orv::TShowAvi kind, const RemoteCall& call, db::TClientDataSet& target,
                const GuardedStep& before) {
  try {
    if (before) before();
    target.SetData(CheckedCall(kind, call));
    orv::DeactiveShowAvi();
  } catch (const std::exception&) {
    // A failed read leaves the screen as it was and shows no message of its own.
    orv::DeactiveShowAvi();
  }
}

void RemoteWrite(orv::TShowAvi kind, const RemoteCall& call, db::TClientDataSet& changes,
                 const GuardedStep& after) {
  try {
    CheckedCall(kind, call);
    orv::DeactiveShowAvi();
    if (after) after();
  } catch (...) {
    orv::DeactiveShowAvi();
    changes.CancelUpdates();
    throw;
  }
}

}  // namespace Cli_ped06900
