#pragma once
// DatabaseLock: a running server owns its database file, so that the ranges it keeps in memory
// stay equal to the stored ones. The lock is an exclusive lock on a file beside the database
// (its name plus ".lock"), held while the object lives and dropped by the system when the
// process ends, however it ends. A second server on the same database and an import into a
// database that a server is using are refused with a message that says so.

#include <string>

namespace appserver {

class DatabaseLock {
 public:
  // Raises rtl::Exception when another holder has the lock (naming the database and what
  // was refused, e.g. "importar") or when the lock file cannot be opened.
  DatabaseLock(const std::string& databasePath, const std::string& refusedAction);
  ~DatabaseLock();
  DatabaseLock(const DatabaseLock&) = delete;
  DatabaseLock& operator=(const DatabaseLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace appserver
