#pragma once

// The commands that create a component in the scene and give it its initial properties. The scene
// owns the component from the moment it exists; the command keeps nothing of it.

#include <cstdint>

#include "engine/commands/component_command.h"

namespace vorn {

// Execute of every creating command: on to the next command, then the component of the command's
// kind through the scene with the kind's steps around ApplyProperties. Without a scene (or a kind
// the scene cannot make) only the index moves.
template <class Base>
class TComCreating : public Base {
 public:
  TComCreating(TPage* page, int code) : Base(page, code) {}

  void Execute(TCallMan& callman, TPage*& page, std::int32_t& index) override;
  // Answers the new component; the scene owns it.
  TScriptObject* CreateComponent(TScriptScene& scene) const;
};

extern template class TComCreating<TComComponent>;
extern template class TComCreating<TComControl>;

#define VORN_CREATING_COMMAND(Class, Base, code)                            \
  class Class final : public TComCreating<Base> {                           \
   public:                                                                  \
    explicit Class(TPage* page) : TComCreating<Base>(page, code) {}         \
  };

VORN_CREATING_COMMAND(TComBoxNew, TComControl, 8)
VORN_CREATING_COMMAND(TComImgNew, TComControl, 9)
VORN_CREATING_COMMAND(TComMesNew, TComControl, 10)
VORN_CREATING_COMMAND(TComTimer, TComComponent, 11)
VORN_CREATING_COMMAND(TComMovie, TComControl, 12)
VORN_CREATING_COMMAND(TComCinema, TComControl, 23)
VORN_CREATING_COMMAND(TComCaption, TComControl, 24)
VORN_CREATING_COMMAND(TComMenu, TComControl, 25)
VORN_CREATING_COMMAND(TComBtnNew, TComControl, 30)
VORN_CREATING_COMMAND(TComParticleNew, TComControl, 36)
VORN_CREATING_COMMAND(TComFireNew, TComControl, 37)
VORN_CREATING_COMMAND(TComSound, TComComponent, 42)
VORN_CREATING_COMMAND(TComEditNew, TComControl, 43)
VORN_CREATING_COMMAND(TComMemoNew, TComControl, 44)
VORN_CREATING_COMMAND(TComMapImgNew, TComControl, 48)
VORN_CREATING_COMMAND(TComWaveNew, TComControl, 49)
VORN_CREATING_COMMAND(TComTileNew, TComControl, 50)
VORN_CREATING_COMMAND(TComSliderNew, TComControl, 51)
VORN_CREATING_COMMAND(TComScrollbarNew, TComControl, 52)
VORN_CREATING_COMMAND(TComGaugeNew, TComControl, 53)
VORN_CREATING_COMMAND(TComCGCaption, TComControl, 54)
VORN_CREATING_COMMAND(TComPrevMenuNew, TComControl, 56)

#undef VORN_CREATING_COMMAND

}  // namespace vorn
