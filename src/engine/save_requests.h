#pragma once

// The game-state commands' requests carried to the saved games: a save or load is recorded in the
// TSaveData (carried out by its ProcessPending at the end of the frame), a reset clears the game
// tables. The project creates one beside its TSaveData and installs it with SetScriptGame.

#include "engine/game_requests.h"

namespace vorn {

class TDBManager;
class TSaveData;

class TSaveRequests final : public TScriptGame {
 public:
  TSaveRequests(TSaveData& saves, TDBManager& tables) : saves_(saves), tables_(tables) {}
  void RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                   std::int32_t resume_index) override;
  void RequestLoad(std::int32_t slot) override;
  void ClearGameTables() override;

 private:
  TSaveData& saves_;
  TDBManager& tables_;
};

}  // namespace vorn
