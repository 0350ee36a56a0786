#pragma once
// Where the host client finds the application server. The first source that names a server
// wins: the command line (--server HOST:PORT), then the environment variable RENTAB_SERVER
// (HOST:PORT), then the configuration file (ini keys server/host and server/port), then the
// default 127.0.0.1:2110. A source that names a server badly raises ConfigError naming the
// source, rather than falling through to another server silently.

#include <optional>
#include <string>
#include <string_view>

#include "rtl/exceptions.h"

namespace client {

class ConfigError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

struct ServerAddress {
  std::string host;
  int port = 0;
  bool operator==(const ServerAddress&) const = default;
};

inline constexpr const char* kDefaultServerHost = "127.0.0.1";
inline constexpr int kDefaultServerPort = 2110;
inline constexpr const char* kServerEnvironmentVariable = "RENTAB_SERVER";

// Parses "HOST:PORT", "[IPv6]:PORT" included. `source` names where the text came from, for the
// message of the ConfigError raised for an empty host or a port that is not 1 to 65535.
ServerAddress ParseServerAddress(std::string_view text, const std::string& source);

struct ServerSources {
  std::optional<std::string> commandLine;  // the value of --server
  std::optional<std::string> environment;  // the value of RENTAB_SERVER
  std::string configFile;                  // a path; a missing file names no server
};

ServerAddress ResolveServerAddress(const ServerSources& sources);

// ~/.config/rentabilidade/host.conf (under $XDG_CONFIG_HOME when set).
std::string DefaultConfigFilePath();

}  // namespace client
