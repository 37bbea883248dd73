// The text, number and date functions over arbitrary bytes: broken CP932 (lone lead bytes at the
// end, trail bytes in the ASCII range), script positions and counts anywhere in 32 bits, and raw
// 80-bit floats (NaN, infinities, unnormals). Script errors are fine; anything else is a fault.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/extended_float.h"
#include "engine/param_collection.h"
#include "engine/sys_func_families.h"
#include "engine/sys_func_man.h"
#include "engine/typed_params.h"
#include "foundation/errors.h"

namespace {

std::int32_t ReadInt(const std::uint8_t* p) {
  std::uint32_t v = 0;
  std::memcpy(&v, p, 4);
  return static_cast<std::int32_t>(v);
}

std::unique_ptr<vorn::TCustomParam> Str(std::string text) {
  auto p = std::make_unique<vorn::TParamStr>();
  p->SetAsString(text);
  return p;
}

std::unique_ptr<vorn::TCustomParam> Int(std::int32_t v) {
  auto p = std::make_unique<vorn::TParamInt>();
  p->SetAsInt(v);
  return p;
}

std::unique_ptr<vorn::TCustomParam> Float(vorn::TExtended x) {
  auto p = std::make_unique<vorn::TParamFloat>();
  p->SetAsFloat(x);
  return p;
}

std::unique_ptr<vorn::TCustomParam> Flag(bool b) {
  auto p = std::make_unique<vorn::TParamFlag>();
  p->SetAsBool(b);
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // index (4), count (4), flags (1), raw extended (10), then the text
  constexpr std::size_t kHead = 19;
  if (size < kHead) return 0;
  static vorn::TParamCollection params;
  static vorn::TSysFuncMan man;
  static vorn::TParamCollectionItem& target = [] () -> vorn::TParamCollectionItem& {
    auto& item = params.AddParam(vorn::PT_STR);
    item.SetName("target");
    return item;
  }();

  const std::int32_t index = ReadInt(data);
  const std::int32_t count = ReadInt(data + 4);
  const std::uint8_t flags = data[8];
  const vorn::TExtended raw = vorn::UnpackExtended(data + 9);
  const std::string text(reinterpret_cast<const char*>(data + kHead), size - kHead);
  const std::string sub = text.substr(0, text.size() / 3);
  const std::string rest = text.substr(text.size() / 3);

  std::vector<std::vector<std::unique_ptr<vorn::TCustomParam>>> patterns;
  auto add = [&](auto... args) {
    std::vector<std::unique_ptr<vorn::TCustomParam>> list;
    (list.push_back(std::move(args)), ...);
    patterns.push_back(std::move(list));
  };
  add(Str(text), Int(index), Int(count), Flag(flags & 1), Flag(flags & 2));
  add(Str(sub), Str(rest), Int(index), Flag(flags & 1), Flag(flags & 2));
  add(Str(rest), Str(sub), Str(text), Flag(flags & 1), Flag(flags & 2));
  add(Str(text), Int(index));
  add(Float(raw), Float(static_cast<vorn::TExtended>(index)), Int(count), Int(index));
  add(Int(index), Int(count), Int(flags));

  for (const vorn::TSysFuncSlot& slot : vorn::TextNumberDateFunctions()) {
    for (auto& pattern : patterns) {
      std::vector<vorn::TCustomParam*> args;
      for (auto& arg : pattern) args.push_back(arg.get());
      target.SetType((flags >> 2) % 4 + 1);
      try {
        man.Execute(target, static_cast<std::uint8_t>(slot.index), args);
      } catch (const vorn::Exception&) {
      }
    }
  }
  return 0;
}
