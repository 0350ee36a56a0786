#pragma once
// The list of modules the host offers in its menu, read from a text file beside the program
// (modules.conf). One module a line: screen code, caption and library file, separated by "|":
//   PED06900|Rentabilidade|libPKG_PED06900.so
// Blank lines and lines starting with "#" are ignored; spaces around each part are trimmed. A
// relative library path is taken relative to the list's folder. Any other malformed line, or a
// screen code listed twice, raises ModuleListError naming the file and the line: a broken list
// is reported rather than shown half.

#include <string>
#include <vector>

#include "rtl/exceptions.h"

namespace client {

class ModuleListError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

struct ModuleEntry {
  std::string code;     // e.g. "PED06900"
  std::string caption;  // e.g. "Rentabilidade"
  std::string library;  // absolute path of the library file
  bool operator==(const ModuleEntry&) const = default;
};

// A missing file gives an empty list.
std::vector<ModuleEntry> ReadModuleList(const std::string& path);

// Parses the text of a list; `folder` resolves relative library paths, `source` names the list
// in messages.
std::vector<ModuleEntry> ParseModuleList(const std::string& text, const std::string& folder,
                                         const std::string& source);

}  // namespace client
