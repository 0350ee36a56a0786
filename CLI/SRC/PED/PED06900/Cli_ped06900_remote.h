#pragma once
// The two guarded patterns in which the range screen makes every call to its server object.
//
// Both show the busy indicator of `kind` over the host's main window, run `call` (which works
// out its argument, asks the connection for the server object and calls one method by name,
// returning the raw answer), pass the answer through orv::CheckResultServ(answer, true, 0) and
// hide the indicator again. Hiding is harmless when nothing shows, so every failure path hides
// it once more.
//
// RemoteRead loads the checked payload into `target` (SetData: its rows become the packet's,
// pending changes included are gone). `before`, when given, runs first inside the same guard.
// Any failure (of `before`, the call, the check or the load) hides the indicator and is dropped;
// a failure before the load leaves `target` as it was. Nothing is shown to the user.
//
// RemoteWrite uses no payload. `after`, when given, runs after the indicator is hidden, inside
// the same guard. Any failure hides the indicator, cancels the change log of `changes`
// (CancelUpdates: the rows return to their state at the last merge) and is raised again.

#include <functional>

#include "db/dataset.h"
#include "orv/showavi.h"
#include "rtl/variant.h"

namespace Cli_ped06900 {

using RemoteCall = std::function<rtl::Variant()>;
using GuardedStep = std::function<void()>;

void RemoteRead(orv::TShowAvi kind, const RemoteCall& call, db::TClientDataSet& target,
                const GuardedStep& before = {});

void RemoteWrite(orv::TShowAvi kind, const RemoteCall& call, db::TClientDataSet& changes,
                 const GuardedStep& after = {});

}  // namespace Cli_ped06900
