#include "engine/command.h"

#include <array>
#include <cstring>

#include "engine/command_families.h"
#include "engine/param_collection.h"
#include "engine/script_page.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"

namespace vorn {

namespace {

constexpr std::array<std::string_view, 61> kLayouts = {
    "E",             // 0 If
    "E",             // 1 Elseif
    "",              // 2 Else
    "S",             // 3 Label
    "SIE",           // 4 Jump
    "SISEN",         // 5 Call
    "E",             // 6 Exit
    "EE6E",          // 7 Wait
    "P",             // 8 BoxNew
    "P",             // 9 ImgNew
    "P",             // 10 MesNew
    "P",             // 11 Timer
    "P",             // 12 Movie
    "EEEENEEE0E6E",  // 13 Flip
    "E",             // 14 Calc
    "SBEB",          // 15 VarNew
    "S",             // 16 VarDel
    "EES",           // 17 GetProp
    "EEE",           // 18 SetProp
    "E",             // 19 ObjDel
    "TEEE6E",        // 20 TextIns
    "EEE6E",         // 21 MovieStop
    "",              // 22 ClrHist
    "P",             // 23 Cinema
    "P",             // 24 Caption
    "P",             // 25 Menu
    "E",             // 26 MenuClose
    "S",             // 27 Comment
    "E",             // 28 TextClr
    "EEEE",          // 29 CallHist
    "P",             // 30 Button
    "EI",            // 31 While
    "E",             // 32 WhileInit
    "EI",            // 33 WhileLoop
    "EI",            // 34 Break
    "EI",            // 35 Continue
    "P",             // 36 ParticleNew
    "P",             // 37 FireNew
    "ES4IE",         // 38 GameSave
    "E",             // 39 GameLoad
    "SIB",           // 40 PCReset
    "SIB",           // 41 Reset
    "P",             // 42 Sound
    "P",             // 43 EditNew
    "P",             // 44 MemoNew
    "",              // 45 Terminate
    "",              // 46 DoEvent
    "",              // 47 ClrRead
    "P",             // 48 MapImgNew
    "P",             // 49 WaveNew
    "P",             // 50 TileNew
    "P",             // 51 SliderNew
    "P",             // 52 ScrollbarNew
    "P",             // 53 GaugeNew
    "P",             // 54 CGCaption
    "E",             // 55 MediaPlay
    "P",             // 56 PrevMenuNew
    "EEEEEE7E",      // 57 PropMotion
    "E",             // 58 FormatHist
    "PEN",           // 59 SaveCabinet
    "PEN",           // 60 LoadCabinet
};

// The smallest stored expression is its int32 operation count.
constexpr std::int64_t kMinExpressionBytes = 4;

std::int32_t ReadCount(TStream& stream, std::int64_t bytes_each) {
  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0 || count > stream.Remaining() / bytes_each) throw EPageError("Stream read error");
  return count;
}

}  // namespace

void TCommand::LoadFromStream(TStream& stream) {
  indent_ = ReadIntFromStream(stream);
  skip_ = ReadByteFromStream(stream);
  run_flag_ = ReadByteFromStream(stream);
  line_ = ReadIntFromStream(stream);
}

void TCommand::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) { ++index; }

std::string_view CommandLayout(int code) {
  if (code < 0 || code >= static_cast<int>(kLayouts.size())) return {};
  return kLayouts[static_cast<std::size_t>(code)];
}

void TComRecord::LoadFromStream(TStream& stream) {
  TCommand::LoadFromStream(stream);
  const std::int64_t start = stream.Position();
  ReadFields(stream);
  const std::int64_t end = stream.Position();
  record_.resize(static_cast<std::size_t>(end - start));
  stream.SetPosition(start);
  if (!record_.empty()) stream.ReadBuffer(record_.data(), record_.size());
}

void TComRecord::ReadFields(TStream& stream) {
  const std::int32_t version = page_ ? page_->Version() : kNewestPageVersion;
  auto read_expression = [&] {
    auto expression = std::make_unique<TVornParser>();
    expression->LoadFromStream(stream);
    expressions_.push_back(std::move(expression));
  };
  bool present = true;
  for (const char field : CommandLayout(code_)) {
    if (field >= '0' && field <= '9') {
      present = version > 100 + (field - '0');
      continue;
    }
    if (!present) {
      present = true;
      continue;
    }
    switch (field) {
      case 'E':
        read_expression();
        break;
      case 'S':
        strings_.push_back(ReadStrFromStream(stream));
        break;
      case 'I':
        ints_.push_back(ReadIntFromStream(stream));
        break;
      case 'B':
        bytes_.push_back(ReadByteFromStream(stream));
        break;
      case 'P':
        for (int p = 0; p <= kLastMaskProperty; ++p) {
          if (page_ && page_->MaskHas(code_, p)) {
            properties_.push_back(static_cast<std::uint8_t>(p));
            read_expression();
          }
        }
        break;
      case 'N': {
        const std::int32_t count = ReadCount(stream, kMinExpressionBytes);
        ints_.push_back(count);
        for (std::int32_t i = 0; i < count; ++i) read_expression();
        break;
      }
      case 'T': {
        const std::int32_t count = ReadCount(stream, 1);
        ints_.push_back(count);
        const std::size_t first = bytes_.size();
        bytes_.resize(first + static_cast<std::size_t>(count));
        if (count > 0) stream.ReadBuffer(bytes_.data() + first, static_cast<std::size_t>(count));
        break;
      }
      default:
        break;
    }
  }
}

TComLabel::TComLabel(TPage* page, int code) : TComRecord(page, code) { run_flag_ = 1; }

bool TComLabel::IsLabel(std::string_view name) const { return !Strings().empty() && Strings()[0] == name; }

const std::string& TComLabel::Text() const {
  static const std::string empty;
  return Strings().empty() ? empty : Strings()[0];
}

std::unique_ptr<TCommand> CreateCommand(TPage* page, std::uint8_t code) {
  const int kind = code & 0x7F;
  if (kind >= static_cast<int>(kLayouts.size())) throw EBadCommand(std::string(texts::kBadCommand));
  if (auto command = CreateFlowCommand(page, kind)) return command;
  if (auto command = CreateComponentCommand(page, kind)) return command;
  if (auto command = CreateSceneCommand(page, kind)) return command;
  return std::make_unique<TComRecord>(page, kind);
}

std::int32_t ReadStateHeader(TStream& stream) {
  const std::int64_t start = stream.Position();
  char header[7];
  if (stream.Read(header, sizeof header) == sizeof header && std::memcmp(header, "vorn", 4) == 0) {
    std::int32_t number = 0;
    for (int i = 4; i < 7; ++i) {
      if (header[i] < '0' || header[i] > '9') return 0;
      number = number * 10 + (header[i] - '0');
    }
    return number;
  }
  stream.SetPosition(start);
  return 0;
}

void WriteStateHeader(TStream& stream) { stream.WriteBuffer("vorn100", 7); }

}  // namespace vorn
