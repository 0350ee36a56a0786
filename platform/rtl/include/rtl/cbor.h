#pragma once
// A strict, allocation-bounded CBOR (RFC 8949) reader and writer for the system's own messages
// and data packets. The writer emits definite lengths only, integers in their shortest form and
// every double as an 8-byte float64, so doubles travel bit-exact.
//
// The reader accepts only what the writer emits plus shorter float forms (half and single
// floats are widened): indefinite lengths, tags, reserved simple values and nesting deeper than
// the reader's limit raise CborError. A declared length is checked against the bytes that are
// actually left before anything is allocated, so a hostile header cannot make the reader
// allocate without bound. Every read raises CborError on truncated input or on an item of
// another kind than the one asked for; the reader never crashes or loops on any input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "rtl/exceptions.h"

namespace rtl::cbor {

class CborError : public Exception {
 public:
  using Exception::Exception;
};

// The kind of the next data item, as far as this system distinguishes them.
enum class Kind {
  Unsigned,
  Negative,
  Bytes,
  Text,
  Array,
  Map,
  False,
  True,
  Null,
  Undefined,
  Float
};

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void Int(int64_t value);
  void Double(double value);  // always the 8-byte form
  void Bool(bool value);
  void Null();
  void Undefined();
  void Text(std::string_view text);
  void Bytes(std::string_view bytes);
  void ArrayHeader(uint64_t count);
  void MapHeader(uint64_t count);

 private:
  void Head(uint8_t major, uint64_t argument);
  std::string& out_;
};

// The reader does not own its input: the bytes must outlive it.
class Reader {
 public:
  static constexpr int kDefaultMaxDepth = 64;

  explicit Reader(std::string_view data, int maxDepth = kDefaultMaxDepth)
      : data_(data), maxDepth_(maxDepth) {}

  bool AtEnd() const { return pos_ == data_.size(); }
  size_t Position() const { return pos_; }
  // Raises CborError unless every byte has been read.
  void ExpectEnd() const;

  Kind Peek() const;
  int64_t ReadInt();    // major type 0 or 1 within the int64 range
  double ReadDouble();  // any float width
  bool ReadBool();
  void ReadNull();
  void ReadUndefined();
  std::string_view ReadText();  // checked to be valid UTF-8
  std::string_view ReadBytes();
  // Array and map headers count one nesting level; call Leave() after the last element.
  // The count returned never exceeds the bytes left, so it is safe to reserve.
  uint64_t EnterArray();
  uint64_t EnterMap();
  void Leave();
  // Skips one whole data item of any supported kind, nested items included.
  void Skip();

 private:
  struct Head {
    uint8_t major;
    uint8_t info;
    uint64_t argument;
  };
  Head ReadHead();
  Head PeekHead() const;
  Head DecodeHead(size_t& pos) const;
  uint64_t Enter(uint8_t major, const char* what);
  [[noreturn]] void Fail(const std::string& why) const;

  std::string_view data_;
  size_t pos_ = 0;
  int depth_ = 0;
  int maxDepth_;
};

}  // namespace rtl::cbor
