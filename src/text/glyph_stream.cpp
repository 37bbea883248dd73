// The glyph stream: the prepared form of a text command's document. Reading it is the document's
// job (LoadGlyphs); writing is each glyph's (SaveToStream, the newest form).
//
//   header       optional: "ZkWord" and three decimal digits, the version (else version 0)
//   style table  int32 n, n records (see ReadStyleRecord)
//   glyphs       int32 n, n glyphs: a kind byte (low 7 bits) and the fields of that kind

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/vorn_parser.h"
#include "foundation/errors.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "text/wd_char.h"
#include "text/wd_img.h"
#include "text/wd_operators.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

constexpr char kGlyphStreamMagic[] = "ZkWord";
constexpr std::size_t kMagicBytes = 6;
constexpr std::size_t kHeaderBytes = 9;
constexpr std::int32_t kNewestGlyphStreamVersion = 102;
// Border widths are int32 from this version, and records carry shadow offset and colour.
constexpr std::int32_t kWideBorderVersion = 100;
// Variable operators carry wait and link from this version, and their expression as text
// (instead of compiled) from the next.
constexpr std::int32_t kVarWaitLinkVersion = 101;
constexpr std::int32_t kVarTextVersion = 102;

// Smallest records, for checking counts against the bytes left before anything is reserved.
constexpr std::int64_t kMinOldStyleRecordBytes = 4 * 4 + 1 + 1 + 1 + 4 + 4;
constexpr std::int64_t kMinStyleRecordBytes = 4 * 4 + 1 + 1 + 4 + 4 + 4 + 4 + 4;
constexpr std::int64_t kMinGlyphBytes = 1;

constexpr std::uint8_t kEventEndMarker = 0x01;

[[noreturn]] void Refuse(const std::string& why) { throw EReadError("glyph stream: " + why); }

std::int32_t ReadVersion(TStream& stream) {
  const std::int64_t start = stream.Position();
  char header[kHeaderBytes];
  const std::size_t got = stream.Read(header, kHeaderBytes);
  if (got < kHeaderBytes || std::memcmp(header, kGlyphStreamMagic, kMagicBytes) != 0) {
    stream.SetPosition(start);
    return 0;
  }
  std::int32_t version = 0;
  for (std::size_t i = kMagicBytes; i < kHeaderBytes; ++i) {
    if (header[i] < '0' || header[i] > '9') Refuse("header without a three-digit version");
    version = version * 10 + (header[i] - '0');
  }
  if (version > kNewestGlyphStreamVersion) Refuse("unknown version " + std::to_string(version));
  return version;
}

TDecorateValues ReadStyleRecord(TStream& stream, std::int32_t version) {
  TDecorateValues v;
  ReadIntFromStream(stream);  // the stored reference count: the glyphs are counted instead
  v.color = ReadIntFromStream(stream);
  v.border_color = ReadIntFromStream(stream);
  v.size = ReadIntFromStream(stream);
  v.style = ReadByteFromStream(stream);
  v.no_break = ReadByteFromStream(stream);
  if (version >= kWideBorderVersion) {
    v.border = ReadIntFromStream(stream);
  } else {
    v.border = ReadByteFromStream(stream) != 0 ? 1 : 0;
  }
  v.face = ReadStrFromStream(stream);
  v.ruby = ReadStrFromStream(stream);
  if (version >= kWideBorderVersion) {
    v.shadow = ReadIntFromStream(stream);
    v.shadow_color = ReadIntFromStream(stream);
  } else {
    v.shadow = 0;
    v.shadow_color = 0;
  }
  return v;
}

std::int32_t ReadCount(TStream& stream, std::int64_t min_item_bytes, const char* what) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count > stream.Remaining() / min_item_bytes) {
    Refuse(std::string("bad ") + what + " count " + std::to_string(count));
  }
  return count;
}

// Fills a document from one stream. The document's style list holds every record of the table
// once while loading, so no record goes while glyphs move between them; the holds are let go at
// the end, which drops the records no glyph took. A failure takes the added glyphs out again.
class GlyphStreamReader {
 public:
  explicit GlyphStreamReader(TZkWord& document) : document_(document), first_glyph_(document.GlyphCount()) {}

  ~GlyphStreamReader() {
    if (!done_) {
      while (document_.GlyphCount() > first_glyph_) document_.DeleteGlyph(document_.GlyphCount() - 1);
    }
    for (TDecorate* record : table_) document_.Decorations.Release(record);
  }

  void Read(TStream& stream) {
    const std::int32_t version = ReadVersion(stream);
    const std::int32_t styles =
        ReadCount(stream, version >= kWideBorderVersion ? kMinStyleRecordBytes : kMinOldStyleRecordBytes, "style");
    table_.reserve(static_cast<std::size_t>(styles));
    for (std::int32_t i = 0; i < styles; ++i) {
      table_.push_back(document_.Decorations.Append(ReadStyleRecord(stream, version), 1));
    }
    const std::int32_t glyphs = ReadCount(stream, kMinGlyphBytes, "glyph");
    for (std::int32_t i = 0; i < glyphs; ++i) ReadGlyph(stream, version);
    done_ = true;
  }

 private:
  TDecorate* Style(TStream& stream) {
    const std::int32_t index = ReadIntFromStream(stream);
    if (index < 0 || static_cast<std::size_t>(index) >= table_.size()) {
      Refuse("style index " + std::to_string(index) + " outside the table of " + std::to_string(table_.size()));
    }
    return table_[static_cast<std::size_t>(index)];
  }

  template <class G>
  G& Add() {
    return static_cast<G&>(*document_.AddGlyph(std::make_unique<G>(&document_)));
  }

  void ReadGlyph(TStream& stream, std::int32_t version) {
    // The top bit of the kind byte carries nothing.
    const int kind = ReadByteFromStream(stream) & 0x7F;
    switch (kind) {
      case kGlyphChar: {
        auto& ch = Add<TWdChar>();
        ch.SetLink(ReadStrFromStream(stream));
        ch.SetWait(ReadIntFromStream(stream));
        std::uint8_t code[2];
        stream.ReadBuffer(code, sizeof code);
        ch.SetCode(static_cast<std::uint16_t>(code[0] | (code[1] << 8)));
        ch.AdoptDecoration(Style(stream));
        break;
      }
      case kGlyphAlign:
        Add<TWdOpeAlign>().SetAlign(ReadByteFromStream(stream));
        break;
      case kGlyphReturn:
        Add<TWdOpeReturn>().SetPageBreak(ReadByteFromStream(stream) != 0);
        break;
      case kGlyphIndent:
        Add<TWdOpeIndent>();
        break;
      case kGlyphUndent:
        Add<TWdOpeUndent>();
        break;
      case kGlyphEvent: {
        auto& event = Add<TWdOpeEvent>();
        std::string value = ReadStrFromStream(stream);
        if (!value.empty() && static_cast<std::uint8_t>(value.front()) == kEventEndMarker) {
          value.erase(value.begin());
          event.SetEndFlag(true);
        }
        event.SetValue(value);
        break;
      }
      case kGlyphVar: {
        auto& var = Add<TWdOpeVar>();
        var.AdoptDecoration(Style(stream));
        if (version >= kVarWaitLinkVersion) {
          var.SetWait(ReadIntFromStream(stream));
          var.SetLink(ReadStrFromStream(stream));
        }
        if (version >= kVarTextVersion) {
          var.SetExpressionText(ReadStrFromStream(stream));
        } else {
          var.Expression().LoadFromStream(stream);
        }
        break;
      }
      case kGlyphImage: {
        auto& img = Add<TWdImg>();
        img.SetLink(ReadStrFromStream(stream));
        img.SetWait(ReadIntFromStream(stream));
        img.SetFileName(ReadStrFromStream(stream));
        img.SetAlign(ReadByteFromStream(stream));
        break;
      }
      default:
        // Another kind makes no glyph and has no fields: the next byte is the next kind.
        break;
    }
  }

  TZkWord& document_;
  const int first_glyph_;
  std::vector<TDecorate*> table_;
  bool done_ = false;
};

void WriteKind(TStream& stream, int kind) { WriteByteToStream(stream, static_cast<std::uint8_t>(kind)); }

std::int32_t StyleIndex(const TZkWord* document, const TDecorate* record) {
  return document != nullptr ? document->Decorations.IndexOf(record) : -1;
}

// Bytes up to and including the space, at both ends.
std::string Trimmed(const std::string& text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && static_cast<std::uint8_t>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<std::uint8_t>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

}  // namespace

void TZkWord::LoadGlyphs(TStream& stream) {
  GlyphStreamReader reader(*this);
  reader.Read(stream);
}

void TWdChar::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphChar);
  WriteStrToStream(stream, GetLink());
  WriteIntToStream(stream, GetWait());
  const std::uint8_t code[2] = {static_cast<std::uint8_t>(code_ & 0xFF), static_cast<std::uint8_t>(code_ >> 8)};
  stream.WriteBuffer(code, sizeof code);
  WriteIntToStream(stream, StyleIndex(document_, style_.Record()));
}

void TWdOpeAlign::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphAlign);
  WriteByteToStream(stream, align_);
}

void TWdOpeReturn::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphReturn);
  WriteBoolToStream(stream, page_break_);
}

void TWdOpeIndent::SaveToStream(TStream& stream) const { WriteKind(stream, kGlyphIndent); }

void TWdOpeUndent::SaveToStream(TStream& stream) const { WriteKind(stream, kGlyphUndent); }

void TWdOpeEvent::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphEvent);
  WriteStrToStream(stream, end_ ? std::string(1, static_cast<char>(kEventEndMarker)) + value_ : value_);
}

void TWdOpeVar::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphVar);
  WriteIntToStream(stream, StyleIndex(document_, style_.Record()));
  WriteIntToStream(stream, wait_);
  WriteStrToStream(stream, link_);
  WriteStrToStream(stream, Trimmed(expression_text_));
}

void TWdImg::SaveToStream(TStream& stream) const {
  WriteKind(stream, kGlyphImage);
  WriteStrToStream(stream, GetLink());
  WriteIntToStream(stream, GetWait());
  WriteStrToStream(stream, file_name_);
  WriteByteToStream(stream, align_);
}

}  // namespace vorn
