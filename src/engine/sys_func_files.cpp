// Files of the project, saved-game captions, display modes, web addresses and Calc.

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "engine/build_vorn_parser.h"
#include "engine/custom_param.h"
#include "engine/engine_seams.h"
#include "engine/param_collection.h"
#include "engine/project.h"
#include "engine/script_files.h"
#include "engine/script_text.h"
#include "engine/sys_func_families.h"
#include "engine/url_opening.h"
#include "engine/vorn_parser.h"
#include "foundation/stream.h"
#include "platform/text_converter.h"

namespace vorn {
namespace {

using Call = const TSysFuncCall&;

void SetBool(Call call, bool value) { call.Result().SetAsBool(value); }

// Gives `value` the shape [count]. A count of 0 raises the extent error, which ends the function
// before anything else is stored.
void DimensionTo(TCustomParam& value, std::size_t count) {
  const std::int32_t extents[] = {static_cast<std::int32_t>(count)};
  value.SetDims(extents);
}

const std::vector<TSlotCaption>& Captions() {
  static const std::vector<TSlotCaption> none;
  const TProject* project = CurrentProject();
  return project != nullptr ? project->SlotCaptions() : none;
}

void GetSaveCaption(Call call) {
  const std::int32_t slot = call.Int(0);
  std::string caption;
  for (const TSlotCaption& entry : Captions()) {
    if (entry.slot == slot) {
      caption = entry.caption;
      break;
    }
  }
  call.Result().SetAsString(caption);
}

void ListSaveCaption(Call call) {
  // A copy: storing into a variable cannot reach the project's list, but nothing here relies on it.
  const std::vector<TSlotCaption> captions = Captions();
  if (call.Has(0)) {
    TCustomParam& texts = call.Arg(0);
    DimensionTo(texts, captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) {
      texts.SetStrAt(static_cast<std::int32_t>(i), captions[i].caption);
    }
  }
  if (call.Has(1)) {
    TCustomParam& slots = call.Arg(1);
    DimensionTo(slots, captions.size());
    for (std::size_t i = 0; i < captions.size(); ++i) slots.SetIntAt(static_cast<std::int32_t>(i), captions[i].slot);
  }
  call.Result().SetAsInt(static_cast<std::int32_t>(captions.size()));
}

void GetDisplayMode(Call call) {
  TScreenControl* screen = GetScreenControl();
  TDisplayModeInfo mode;
  if (screen == nullptr || !screen->GetDisplayMode(call.Int(0), mode)) return SetBool(call, false);
  call.Arg(1).SetAsInt(mode.width);
  call.Arg(2).SetAsInt(mode.height);
  call.Arg(3).SetAsInt(mode.bits_per_pixel);
  call.Arg(4).SetAsInt(mode.refresh_rate);
  SetBool(call, true);
}

void FileExists(Call call) {
  const std::string name = call.Str(0);
  SetBool(call, !name.empty() && GetScriptFiles().FileExists(name));
}

void LoadTextFile(Call call) {
  SetBool(call, false);
  const std::string name = call.Str(1);
  if (!ProjectCheckFile(name)) return;
  const std::vector<std::uint8_t> bytes = GetScriptFiles().ReadFile(name);
  if (bytes.empty()) return;
  const std::vector<std::string> lines = script_text::SplitLines(bytes);
  TCustomParam& target = call.Arg(0);
  DimensionTo(target, lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) target.SetStrAt(static_cast<std::int32_t>(i), lines[i]);
  SetBool(call, true);
}

void OpenUrl(Call call) {
  const std::string url = call.Str(0);
  if (url.rfind("http", 0) != 0 && url.rfind("ftp", 0) != 0) return;
  if (platform::UrlOpener* opener = GetUrlOpener()) opener->Open(platform::Cp932ToUtf8(url));
}

// How many Calc calls may run inside each other. A text that calls Calc on itself would otherwise
// recurse until the stack runs out; the call past the bound fails as a text that does not compile.
constexpr int kMaxCalcNesting = 64;
int g_calc_nesting = 0;

struct CalcNesting {
  CalcNesting() { ++g_calc_nesting; }
  ~CalcNesting() { --g_calc_nesting; }
  CalcNesting(const CalcNesting&) = delete;
  CalcNesting& operator=(const CalcNesting&) = delete;
};

void Calc(Call call) {
  const std::string text = script_text::Trim(call.Str(0));
  if (text.empty()) return;
  if (g_calc_nesting >= kMaxCalcNesting) return;
  const CalcNesting nesting;
  TMemoryStream stream;
  try {
    TBuildVornParser builder;
    builder.Compile(text);
    // Writing checks the argument counts.
    builder.SaveToStream(stream);
  } catch (const std::exception&) {
    return;
  }
  stream.SetPosition(0);
  TVornParser parser;
  try {
    parser.LoadFromStream(stream);
    parser.Execute();
  } catch (const std::exception&) {
    return;
  }
  // The evaluator ends a failing run itself and says why.
  if (!parser.LastError().empty()) return;
  SetBool(call, true);
}

constexpr TSysFuncSlot kSlots[] = {
    {TSysFunc::GetSaveCaption, GetSaveCaption},
    {TSysFunc::ListSaveCaption, ListSaveCaption},
    {TSysFunc::GetDisplayMode, GetDisplayMode},
    {TSysFunc::FileExists, FileExists},
    {TSysFunc::LoadTextFile, LoadTextFile},
    {TSysFunc::OpenUrl, OpenUrl},
    {TSysFunc::Calc, Calc},
};

}  // namespace

std::span<const TSysFuncSlot> FileScreenFunctions() { return kSlots; }

}  // namespace vorn
