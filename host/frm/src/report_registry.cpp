#include "frm/report_registry.h"

#include <algorithm>
#include <map>

#include "rtl/exceptions.h"

namespace frm {
namespace {

std::map<std::string, std::vector<RegisteredReport>>& Registry() {
  static std::map<std::string, std::vector<RegisteredReport>> registry;
  return registry;
}

}  // namespace

void RegisterReport(const std::string& reportCode, const std::string& name, ReportBuilder build) {
  if (reportCode.empty() || name.empty() || !build) {
    throw rtl::Exception("Relatório inválido: código, nome e montagem são obrigatórios.");
  }
  std::vector<RegisteredReport>& reports = Registry()[reportCode];
  auto same = std::find_if(reports.begin(), reports.end(),
                           [&](const RegisteredReport& r) { return r.name == name; });
  if (same != reports.end()) {
    same->build = std::move(build);
  } else {
    reports.push_back({name, std::move(build)});
  }
}

void UnregisterReports(const std::string& reportCode) {
  Registry().erase(reportCode);
}

std::vector<RegisteredReport> ReportsFor(const std::string& reportCode) {
  auto found = Registry().find(reportCode);
  return found == Registry().end() ? std::vector<RegisteredReport>{} : found->second;
}

}  // namespace frm
