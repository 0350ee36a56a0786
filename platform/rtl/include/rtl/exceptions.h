#pragma once
// The exception classes through which every failure of the system travels.
// Exception carries a message meant for the user (Brazilian Portuguese). EAbort is the silent
// exception: it abandons the operation in progress and the platform shows nothing for it.
// EConvertError reports a value that could not be converted.

#include <stdexcept>
#include <string>

namespace rtl {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EAbort : public Exception {
 public:
  EAbort() : Exception("Operação cancelada") {}
};

class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace rtl
