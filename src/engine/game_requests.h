#pragma once

// What the game-state commands ask of the project: a game save or load at the end of the frame,
// and the removal of the game's script tables on a reset.

#include <cstdint>
#include <string>

namespace vorn {

class TScriptGame {
 public:
  virtual ~TScriptGame() = default;
  virtual void RequestSave(std::int32_t slot, const std::string& caption, const std::string& resume_page,
                           std::int32_t resume_index) = 0;
  virtual void RequestLoad(std::int32_t slot) = 0;
  // Removes every script table that is not a status table.
  virtual void ClearGameTables() = 0;
};

// Null until the project installs one; the commands then request nothing.
TScriptGame* GetScriptGame();
// Returns the one set before.
TScriptGame* SetScriptGame(TScriptGame* game);

}  // namespace vorn
