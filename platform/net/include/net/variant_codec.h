#pragma once
// The strict mapping between rtl::Variant and CBOR used on the wire:
//   Empty = undefined, Null = null, Boolean = false/true, Int32/Int64 = integer, Double = float64
//   (always 8 bytes, bit-exact), String = text (UTF-8), Bytes = byte string, Array = array.
// Decoding yields Int32 for an integer that fits 32 bits and Int64 otherwise. Maps, tags,
// indefinite lengths, integers beyond int64, nesting beyond the reader's depth limit and (for
// DecodeVariant) trailing bytes raise ProtocolError.

#include <string>
#include <string_view>

#include "rtl/cbor.h"
#include "rtl/variant.h"

namespace net {

void WriteVariant(rtl::cbor::Writer& writer, const rtl::Variant& value);
// Reads one variant at the reader's position. Raises ProtocolError.
rtl::Variant ReadVariant(rtl::cbor::Reader& reader);

std::string EncodeVariant(const rtl::Variant& value);
// Decodes exactly one item filling all of bytes. Raises ProtocolError.
rtl::Variant DecodeVariant(std::string_view bytes);

}  // namespace net
