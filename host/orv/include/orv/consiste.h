#pragma once
// Unit Consiste: checks of server answers and values, and the error routine of the screens.

#include <string>
#include <string_view>

#include "rtl/exceptions.h"
#include "rtl/variant.h"

namespace orv {

// A failure reported by a server method: its status (non-zero) and its text for the user.
class EServerError : public rtl::Exception {
 public:
  EServerError(int64_t status, const std::string& message)
      : rtl::Exception(message), status_(status) {}
  int64_t Status() const { return status_; }

 private:
  int64_t status_;
};

// Reads the answer envelope of a server method, [status, payload] (a two-element array whose
// first element is an integer). Status 0 returns the payload. Any other status is a failure:
// with `raiseOnFailure` true it raises EServerError carrying the payload text (or a generic
// Portuguese text when the payload is not a text); with false it returns Null instead. A value
// that is not an envelope is a failure of the same kind (EServerError with status -1).
// `context`, when non-zero, identifies the calling operation and is appended to the message as
// " [n]" so that support can tell failures apart; 0 leaves the message as the server wrote it.
rtl::Variant CheckResultServ(const rtl::Variant& result, bool raiseOnFailure, int context);

// Shows `text` to the user as an error message (through ui's modal seam, so tests script it);
// then, with `abortAfter` true, raises the silent rtl::EAbort so that the operation in
// progress is abandoned. With false it only shows the message and returns.
void MensErro(const std::string& text, bool abortAfter);

// The decimal value that `value` stands for, rounded to `decimals` places (0 to 15), halves away
// from zero: RoundDec(10.005, 2) == 10.01, RoundDec(-2.675, 2) == -2.68. Raises rtl::Exception
// for a decimal count out of range.
double RoundDec(double value, int decimals);

// The digits of `text` right-aligned and zero-filled to exactly `width` characters:
// Ajusta("42", 10) == "0000000042". Spaces around the digits are ignored. Raises
// rtl::EConvertError when the text holds anything but digits, is empty, or has more digits than
// `width` (a key is never cut), and rtl::Exception when `width` is not positive.
std::string Ajusta(std::string_view text, int width);

}  // namespace orv
