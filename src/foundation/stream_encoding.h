#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/stream.h"

namespace vorn {

// The primitive values every stored format is made of. All little-endian:
//   integer  4 bytes, signed
//   byte     1 byte (booleans: written 0 or 1, any non-zero byte reads as true)
//   string   int32 length N, then N bytes of CP932 text; N <= 0 is the empty string, no bytes follow
//
// The plain readers are checked: a stream that ends early raises EReadError (a half-read saved game
// or page would otherwise turn into garbage), and a length longer than the bytes left is refused
// before anything is allocated. The Try... readers are the lenient form for the formats that are
// meant to load when cut short: a value that is not all there yields false, leaves the target
// untouched and moves the position to the end, so every later lenient read fails too.

void WriteStrToStream(TStream& stream, std::string_view text);
std::string ReadStrFromStream(TStream& stream);
void ReadStrFromStream(TStream& stream, std::string& text);
bool TryReadStrFromStream(TStream& stream, std::string& text);

void WriteIntToStream(TStream& stream, std::int32_t value);
std::int32_t ReadIntFromStream(TStream& stream);
bool TryReadIntFromStream(TStream& stream, std::int32_t& value);

void WriteByteToStream(TStream& stream, std::uint8_t value);
std::uint8_t ReadByteFromStream(TStream& stream);
bool TryReadByteFromStream(TStream& stream, std::uint8_t& value);

// Booleans as bytes: written 0 or 1, read as "non-zero".
void WriteBoolToStream(TStream& stream, bool value);
bool ReadBoolFromStream(TStream& stream);
bool TryReadBoolFromStream(TStream& stream, bool& value);

// 8-byte IEEE doubles, little-endian (motion films).
void WriteDoubleToStream(TStream& stream, double value);
double ReadDoubleFromStream(TStream& stream);
bool TryReadDoubleFromStream(TStream& stream, double& value);

// 8-byte little-endian values (install record, archive offsets).
void WriteUInt64ToStream(TStream& stream, std::uint64_t value);
std::uint64_t ReadUInt64FromStream(TStream& stream);

// Copies size bytes from src's position to dst's position and returns size. Size 0 means all of
// src: it is rewound first. A memory-stream source is written straight from its buffer; any other
// goes through one buffer of at most 10 MiB. Raises EReadError when src runs dry before size bytes.
std::int64_t CopyStream(TStream& dst, TStream& src, std::int64_t size);

}  // namespace vorn
