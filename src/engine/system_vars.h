#pragma once

// The fifty "@" variables: values that store nothing but their number and answer every operation
// from engine state (input, clocks, screen, call arguments, the called page's return value).

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "engine/custom_param.h"

namespace vorn {

// Numbers of the system variables, their positions in the vocabulary table.
enum TSysVar : int {
  svResult = 0,
  svLClick = 1,
  svRClick = 2,
  svLPush = 3,
  svRPush = 4,
  svMouseX = 5,
  svMouseY = 6,
  svTextDelay = 7,
  svHistoryCount = 8,
  svParamCount = 9,
  svParamStr = 10,
  svSender = 11,
  svScrWidth = 12,
  svScrHeight = 13,
  svTickCount = 14,
  svPCTickCount = 15,
  svUpdateCount = 16,
  svYear = 17,
  svMonth = 18,
  svDay = 19,
  svWeek = 20,
  svHour = 21,
  svMin = 22,
  svSec = 23,
  svFonts = 24,
  svFixedFonts = 25,
  svFullScr = 26,
  svCursor = 27,
  svSelStr = 28,
  svSelIndex = 29,
  svPi = 30,
  svCGDither = 31,
  sv1Hour = 32,
  sv1Min = 33,
  sv1Sec = 34,
  svKeyPush = 35,
  svKeyClick = 36,
  svDisplayModeCount = 37,
  svDisplayModeIndex = 38,
  svTitle = 39,
  svSoundON = 40,
  svActiveCompo = 41,
  svKeyRepeat = 42,
  svHistoryMaxCount = 43,
  svTemp = 44,
  svMidiPort = 45,
  svMidiPorts = 46,
  svWheelDown = 47,
  svWheelUp = 48,
  svStackCount = 49,
};

// Elements of "@KeyPush", "@KeyClick" and "@KeyRepeat": 256 keys, then the two wheel flags.
inline constexpr std::int32_t kKeyElementCount = 258;

// A system variable. "@Result" forwards to the return value of the innermost call frame, "@Temp"
// to the variable named by the collection's "@Temp" name; every other number has one native type,
// converts other types on the way in and out, and ignores writes when it is read-only.
class TParamSystem final : public TCustomParam {
 public:
  // Raises "内部エラー" for a number outside 0..49.
  explicit TParamSystem(int number);

  int Number() const { return number_; }

  std::int32_t Count() const override;
  void SetCount(std::int32_t n) override;
  std::uint8_t ParamType() const override;
  bool GetAsBool() const override;
  TExtended GetAsFloat() const override;
  std::int32_t GetAsInt() const override;
  std::string GetAsString() const override;
  void SetAsBool(bool b) override;
  void SetAsFloat(TExtended x) override;
  void SetAsInt(std::int32_t v) override;
  void SetAsString(std::string_view s) override;
  std::int32_t GetIntAt(std::int32_t i) const override;
  void SetIntAt(std::int32_t i, std::int32_t v) override;
  TExtended GetFloatAt(std::int32_t i) const override;
  void SetFloatAt(std::int32_t i, TExtended x) override;
  bool GetBoolAt(std::int32_t i) const override;
  void SetBoolAt(std::int32_t i, bool b) override;
  std::string GetStrAt(std::int32_t i) const override;
  void SetStrAt(std::int32_t i, std::string_view s) override;
  std::int32_t DimCount() const override;
  std::int32_t DimSize(std::int32_t d) const override;
  void SetDims(std::span<const std::int32_t> extents) override;
  void FillInt(std::int32_t v) override;
  void FillFloat(TExtended x) override;
  void FillBool(bool b) override;
  void FillStr(std::string_view s) override;
  void CopyMem(const TCustomParam& other) override;
  void DropDims() override;
  std::int32_t IndexOf(std::string_view text, bool case_sensitive, bool partial) const override;

 private:
  struct Native;
  bool Forwards() const { return number_ == svResult || number_ == svTemp; }
  template <typename R, typename F>
  R Forward(R none, F&& f) const;
  // The native value; index -1 is the scalar.
  Native Read(std::int32_t index) const;
  void Write(const Native& value) const;

  int number_;
};

// The value of system variable `number` (the variable collection makes its items 0..49 with it).
std::unique_ptr<TCustomParam> CreateSystemParam(int number);

// Values the engine keeps for "@TextDelay" and "@Cursor".
std::int32_t TextDelayValue();
void SetTextDelayValue(std::int32_t value);
const std::string& CursorText();
void SetCursorText(std::string text);

// The installed faces one per line (CR LF), sorted, without vertical faces, trimmed.
std::string FontListText(bool fixed_only);

}  // namespace vorn
