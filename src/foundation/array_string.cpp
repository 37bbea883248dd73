#include "foundation/array_string.h"

#include "foundation/errors.h"
#include "foundation/list_error.h"
#include "foundation/stream_encoding.h"

namespace vorn {

const std::string& TArrayString::Get(int index) const {
  if (index < 0 || index >= GetCount()) ThrowListIndexError(index);
  return items_[static_cast<std::size_t>(index)];
}

void TArrayString::Set(int index, std::string_view text) {
  if (index < 0 || index >= GetCount()) ThrowListIndexError(index);
  items_[static_cast<std::size_t>(index)] = std::string(text);
}

void TArrayString::SaveToStream(TStream& stream) const {
  WriteIntToStream(stream, GetCount());
  for (const std::string& item : items_) WriteStrToStream(stream, item);
}

void TArrayString::LoadFromStream(TStream& stream) {
  items_.clear();
  const std::int32_t count = ReadIntFromStream(stream);
  // Every string takes at least its four length bytes.
  if (count > stream.Remaining() / 4) throw EReadError("Stream read error");
  for (std::int32_t i = 0; i < count; ++i) items_.push_back(ReadStrFromStream(stream));
}

bool TArrayString::TryLoadFromStream(TStream& stream) {
  items_.clear();
  std::int32_t count = 0;
  if (!TryReadIntFromStream(stream, count)) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    std::string text;
    if (!TryReadStrFromStream(stream, text)) return false;
    items_.push_back(std::move(text));
  }
  return true;
}

}  // namespace vorn
