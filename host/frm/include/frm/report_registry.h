#pragma once
// The reports the standard report screen offers, by report code ("PED069"). A module registers
// its reports when it loads and unregisters them when it unloads (the builders live in its
// library). Reports of a code are offered in the order they were registered; registering a
// name again for the same code replaces its builder.

#include <functional>
#include <string>
#include <vector>

#include "frm/report_table.h"

namespace frm {

// Builds the report's table when the user asks for it; may raise (the screen reports it).
using ReportBuilder = std::function<ReportTable()>;

struct RegisteredReport {
  std::string name;
  ReportBuilder build;
};

// Raises rtl::Exception for an empty code or name or a missing builder.
void RegisterReport(const std::string& reportCode, const std::string& name, ReportBuilder build);
void UnregisterReports(const std::string& reportCode);
std::vector<RegisteredReport> ReportsFor(const std::string& reportCode);

}  // namespace frm
