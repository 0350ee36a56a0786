#pragma once
// The command line of appserver. ParseOptions reads the arguments after the program name and
// raises UsageError, with a message for the administrator in Portuguese, for anything it does
// not accept: an unknown option, a missing or malformed value, a database URL it cannot serve,
// --import together with --export. Nothing is opened or created here.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "rtl/exceptions.h"

namespace appserver {

class UsageError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// One worker per processor, at least 2: calls need the processor, not a thread each, and a
// write waiting on the disk still leaves another worker free. More workers than processors
// only make calls wait longer behind each other.
int DefaultWorkers();

struct ServerOptions {
  std::string address = "127.0.0.1";
  uint16_t port = 2110;  // 0: any free port (the one taken is printed at start)
  std::string databasePath;
  bool defaultDatabase = true;  // the path is the default one, whose folder is created
  std::optional<std::string> token;
  uint32_t maxFrame = 16u * 1024u * 1024u;
  int workers = DefaultWorkers();
  std::optional<std::string> importFile;
  std::optional<std::string> exportFile;
  bool help = false;
};

// The SQLite file used when --database is not given: $XDG_DATA_HOME/rentabilidade/rentab.db,
// else $HOME/.local/share/rentabilidade/rentab.db, else ./data/rentab.db.
std::string DefaultDatabasePath();

ServerOptions ParseOptions(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

}  // namespace appserver
