#include "server_log.h"

#include <cstdio>

namespace net::detail {

ServerLog::ServerLog(ServerLogger logger) : logger_(std::move(logger)) {}

void ServerLog::Line(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (logger_) {
    try {
      logger_(line);
    } catch (...) {
      // A failing logger must not take a call or the I/O thread down with it.
    }
    return;
  }
  std::fprintf(stderr, "%s\n", line.c_str());
}

}  // namespace net::detail
