#include "probe.h"

namespace module_probe {

std::vector<std::string>& Calls() {
  static std::vector<std::string> calls;
  return calls;
}

}  // namespace module_probe
