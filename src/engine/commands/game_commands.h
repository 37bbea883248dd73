#pragma once

// Commands that request a game save or load, move the script's point of execution, restart the
// game and end the program.

#include <cstdint>
#include <string>

#include "engine/command.h"

namespace vorn {

class TComGameSave : public TComRecord {
 public:
  explicit TComGameSave(TPage* page) : TComRecord(page, 38) {}
  bool GetRunFlag() const override { return false; }
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComGameLoad : public TComRecord {
 public:
  explicit TComGameLoad(TPage* page) : TComRecord(page, 39) {}
  bool GetRunFlag() const override { return false; }
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComPCReset : public TComRecord {
 public:
  explicit TComPCReset(TPage* page, int code = 40) : TComRecord(page, code) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;

 protected:
  const std::string& TargetPage() const;
  std::int32_t TargetIndex() const { return Ints().empty() ? 0 : Ints()[0]; }
  bool FullReset() const { return !Bytes().empty() && Bytes()[0] != 0; }

 private:
  void FullResetStep(TCallMan& callman, TPage*& page, std::int32_t& index);
  void ReturnStep(TCallMan& callman, TPage*& page, std::int32_t& index);
};

class TComReset : public TComPCReset {
 public:
  explicit TComReset(TPage* page) : TComPCReset(page, 41) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

class TComTerminate : public TComRecord {
 public:
  explicit TComTerminate(TPage* page) : TComRecord(page, 45) {}
  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
};

}  // namespace vorn
