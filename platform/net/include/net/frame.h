#pragma once
// Frames: a 4-byte unsigned big-endian length N (at least 1) followed by N bytes holding one
// CBOR item. A length of 0 or above the receiver's limit is a ProtocolError, detected from the
// 4-byte header alone, so an oversized frame is refused before any of its body is read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

inline constexpr uint32_t kDefaultMaxFrame = 16u * 1024u * 1024u;
inline constexpr size_t kFrameHeaderSize = 4;

// Appends the header and the payload to out. Raises ProtocolError for an empty payload or one
// that does not fit a 32-bit length.
void AppendFrame(std::string& out, std::string_view payload);

// Decodes a 4-byte header. Raises ProtocolError when the length is 0 or exceeds maxFrame.
uint32_t ParseFrameHeader(const unsigned char header[kFrameHeaderSize], uint32_t maxFrame);

// Accumulates the bytes of a stream and cuts them into frames. Next() checks a frame's header as
// soon as its four bytes are in (raising ProtocolError for a bad length), and hands out a
// payload only once all of it has arrived.
class FrameBuffer {
 public:
  explicit FrameBuffer(uint32_t maxFrame = kDefaultMaxFrame) : maxFrame_(maxFrame) {}

  void Append(const char* data, size_t size);
  // Moves the next complete payload into payload and returns true; false when none is complete.
  bool Next(std::string& payload);
  // True when bytes of an incomplete frame are buffered (a truncated frame at end of stream).
  bool HasPartial() const { return Buffered() > 0; }
  // The bytes buffered and not yet handed out.
  size_t Buffered() const { return bytes_.size() - start_; }

 private:
  uint32_t maxFrame_;
  std::string bytes_;
  size_t start_ = 0;  // bytes before start_ were already handed out
};

}  // namespace net
