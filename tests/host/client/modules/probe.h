#pragma once
// What the test modules saw: calls of their hooks and entry, shared with the tests.

#include <string>
#include <vector>

#include "rtl/variant.h"

namespace module_probe {

std::vector<std::string>& Calls();  // e.g. "good:Initialize", "good:IniProc:Int32(7)"

}  // namespace module_probe
