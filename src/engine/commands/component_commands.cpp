#include "engine/commands/component_commands.h"

#include "engine/command_families.h"
#include "engine/script_scene.h"

namespace vorn {

template <class Base>
void TComCreating<Base>::Execute(TCallMan& /*callman*/, TPage*& /*page*/, std::int32_t& index) {
  ++index;
  if (TScriptScene* scene = GetScriptScene()) CreateComponent(*scene);
}

template <class Base>
TScriptObject* TComCreating<Base>::CreateComponent(TScriptScene& scene) const {
  const std::uint8_t kind = CreatedKindOfCommand(this->GetCode());
  if (kind == 0) return nullptr;
  return this->properties_.CreateComponent(kind, scene);
}

template class TComCreating<TComComponent>;
template class TComCreating<TComControl>;

std::unique_ptr<TCommand> CreateComponentCommand(TPage* page, int code) {
  switch (code) {
    case 8: return std::make_unique<TComBoxNew>(page);
    case 9: return std::make_unique<TComImgNew>(page);
    case 10: return std::make_unique<TComMesNew>(page);
    case 11: return std::make_unique<TComTimer>(page);
    case 12: return std::make_unique<TComMovie>(page);
    case 23: return std::make_unique<TComCinema>(page);
    case 24: return std::make_unique<TComCaption>(page);
    case 25: return std::make_unique<TComMenu>(page);
    case 30: return std::make_unique<TComBtnNew>(page);
    case 36: return std::make_unique<TComParticleNew>(page);
    case 37: return std::make_unique<TComFireNew>(page);
    case 42: return std::make_unique<TComSound>(page);
    case 43: return std::make_unique<TComEditNew>(page);
    case 44: return std::make_unique<TComMemoNew>(page);
    case 48: return std::make_unique<TComMapImgNew>(page);
    case 49: return std::make_unique<TComWaveNew>(page);
    case 50: return std::make_unique<TComTileNew>(page);
    case 51: return std::make_unique<TComSliderNew>(page);
    case 52: return std::make_unique<TComScrollbarNew>(page);
    case 53: return std::make_unique<TComGaugeNew>(page);
    case 54: return std::make_unique<TComCGCaption>(page);
    case 56: return std::make_unique<TComPrevMenuNew>(page);
    default: return nullptr;
  }
}

}  // namespace vorn
