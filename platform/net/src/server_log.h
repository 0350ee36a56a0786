#pragma once
// The object server's log: serializes the lines of every thread onto one logger.

#include <mutex>
#include <string>

#include "net/object_server.h"

namespace net::detail {

class ServerLog {
 public:
  // An empty logger writes each line to stderr.
  explicit ServerLog(ServerLogger logger);
  void Line(const std::string& line);

 private:
  std::mutex mutex_;
  ServerLogger logger_;
};

}  // namespace net::detail
