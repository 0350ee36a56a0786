#include "net/frame.h"

#include <cstring>
#include <limits>

#include "net/errors.h"

namespace net {

namespace {
// From this size on a frame's buffer is given away rather than kept for the next frames.
constexpr uint32_t kLargeFrame = 256 * 1024;
}  // namespace

void AppendFrame(std::string& out, std::string_view payload) {
  if (payload.empty()) throw ProtocolError("Quadro vazio não pode ser enviado");
  if (payload.size() > std::numeric_limits<uint32_t>::max())
    throw ProtocolError("Mensagem grande demais para um quadro");
  const auto n = static_cast<uint32_t>(payload.size());
  const char header[kFrameHeaderSize] = {static_cast<char>(n >> 24), static_cast<char>(n >> 16),
                                         static_cast<char>(n >> 8), static_cast<char>(n)};
  out.append(header, kFrameHeaderSize);
  out.append(payload);
}

uint32_t ParseFrameHeader(const unsigned char header[kFrameHeaderSize], uint32_t maxFrame) {
  const uint32_t n = (uint32_t{header[0]} << 24) | (uint32_t{header[1]} << 16) |
                     (uint32_t{header[2]} << 8) | uint32_t{header[3]};
  if (n == 0) throw ProtocolError("Quadro com comprimento zero");
  if (n > maxFrame)
    throw ProtocolError("Quadro de " + std::to_string(n) + " bytes excede o limite de " +
                        std::to_string(maxFrame) + " bytes");
  return n;
}

void FrameBuffer::Append(const char* data, size_t size) {
  // Drop what was handed out before growing, so the buffer holds at most one frame's worth
  // plus what arrived with it.
  if (start_ > 0 && (start_ == bytes_.size() || start_ >= bytes_.size() / 2)) {
    bytes_.erase(0, start_);
    start_ = 0;
  }
  bytes_.append(data, size);
}

bool FrameBuffer::Next(std::string& payload) {
  const size_t available = bytes_.size() - start_;
  if (available < kFrameHeaderSize) return false;
  const auto* header = reinterpret_cast<const unsigned char*>(bytes_.data() + start_);
  const uint32_t n = ParseFrameHeader(header, maxFrame_);
  if (available - kFrameHeaderSize < n) return false;
  if (start_ == 0 && available == kFrameHeaderSize + n && n >= kLargeFrame) {
    // A large frame alone in the buffer is handed over as it is, not copied to fresh memory.
    payload = std::move(bytes_);
    payload.erase(0, kFrameHeaderSize);
    bytes_.clear();
    return true;
  }
  payload.assign(bytes_, start_ + kFrameHeaderSize, n);
  start_ += kFrameHeaderSize + n;
  if (start_ == bytes_.size()) {
    bytes_.clear();
    start_ = 0;
  }
  return true;
}

}  // namespace net
