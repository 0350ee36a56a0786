#include "database_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "rtl/exceptions.h"

namespace appserver {

DatabaseLock::DatabaseLock(const std::string& databasePath, const std::string& refusedAction) {
  const std::string path = databasePath + ".lock";
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) {
    throw rtl::Exception("Não foi possível abrir o arquivo de trava \"" + path +
                         "\": " + std::strerror(errno));
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return;
  const int error = errno;
  ::close(fd_);
  fd_ = -1;
  if (error == EWOULDBLOCK) {
    throw rtl::Exception("Não é possível " + refusedAction + ": o banco de dados \"" +
                         databasePath + "\" está em uso por um servidor em execução.");
  }
  throw rtl::Exception("Não foi possível travar o banco de dados \"" + databasePath +
                       "\": " + std::strerror(error));
}

DatabaseLock::~DatabaseLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace appserver
