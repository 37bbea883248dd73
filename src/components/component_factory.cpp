#include "components/component_factory.h"

#include <array>
#include <stdexcept>
#include <string>

#include "components/box.h"
#include "components/timer.h"
#include "components/vorn_base_list.h"
#include "components/vorn_button.h"
#include "components/vorn_cg_label.h"
#include "components/vorn_control.h"
#include "components/vorn_gauge.h"
#include "components/vorn_http.h"
#include "components/vorn_images.h"
#include "components/vorn_map_image.h"
#include "components/vorn_menu.h"
#include "components/vorn_prop_motion.h"
#include "components/vorn_slider.h"

namespace vorn {
namespace {

enum class TRowKind : std::uint8_t {
  kNone,   // no class: creates nothing
  kClass,  // a class of this library (create stays null until the class is built)
  kSlot,   // a class of a higher library, filled at start-up
};

struct TKindRow {
  TComponentKind kind;
  TRowKind row;
  TComponentCreator create;
};

template <typename T>
TVornObject* Create(TVornBaseList& owner) {
  return CreateObject<T>(owner);
}

// Rows whose class is not built yet keep a null creator and create nothing until it lands.
constexpr std::array<TKindRow, 28> kKindRows = {{
    {LT_NONE, TRowKind::kNone, nullptr},
    {LT_AUDIO, TRowKind::kNone, nullptr},
    {LT_BOX, TRowKind::kClass, &Create<TVornBox>},
    {LT_BUTTON, TRowKind::kClass, &Create<TVornButton>},
    {LT_CINEMA, TRowKind::kSlot, nullptr},      // TVornCinema (films)
    {LT_EDIT, TRowKind::kClass, nullptr},       // TVornEdit
    {LT_FIRE, TRowKind::kClass, nullptr},       // TVornFire
    {LT_HTTP, TRowKind::kClass, &Create<TVornHttp>},
    {LT_IMAGES, TRowKind::kClass, &Create<TVornImages>},
    {LT_LABEL, TRowKind::kClass, nullptr},      // TVornLabel
    {LT_MAP, TRowKind::kNone, nullptr},
    {LT_MEMO, TRowKind::kClass, nullptr},       // TVornMemo
    {LT_MENU, TRowKind::kClass, &Create<TVornMenu>},
    {LT_MES, TRowKind::kClass, nullptr},        // TVornMes
    {LT_PARTICLE, TRowKind::kClass, nullptr},   // TVornParticle
    {LT_TIMER, TRowKind::kClass, &Create<TVornTimer>},
    {LT_VIDEO, TRowKind::kClass, nullptr},      // TVornVideo
    {LT_SOUND, TRowKind::kClass, nullptr},      // TVornSound
    {LT_MAPIMG, TRowKind::kClass, &Create<TVornMapImage>},
    {LT_WAVE, TRowKind::kClass, nullptr},       // TVornWave
    {LT_TILE, TRowKind::kClass, nullptr},       // TVornTile
    {LT_SLIDER, TRowKind::kClass, &Create<TVornSlider>},
    {LT_SCROLLBAR, TRowKind::kClass, &Create<TVornScrollbar>},
    {LT_GAUGE, TRowKind::kClass, &Create<TVornGauge>},
    {LT_CGLABEL, TRowKind::kClass, &Create<TVornCGLabel>},
    {LT_PREVMENU, TRowKind::kSlot, nullptr},    // TVornPrevMenu (films)
    {LT_PROPMOTION, TRowKind::kClass, &Create<TVornPropMotion>},
    {LT_CABINET, TRowKind::kClass, &Create<TVornCabinet>},
}};

constexpr bool RowsFollowTheKindCodes() {
  for (std::size_t i = 0; i < kKindRows.size(); ++i) {
    if (static_cast<std::size_t>(kKindRows[i].kind) != i) return false;
    if (kKindRows[i].row != TRowKind::kClass && kKindRows[i].create != nullptr) return false;
  }
  return true;
}
static_assert(RowsFollowTheKindCodes(), "one row per kind code, in code order; only class rows name a creator");

// The creators that higher libraries put into the slot rows.
std::array<TComponentCreator, kKindRows.size()>& SlotCreators() {
  static std::array<TComponentCreator, kKindRows.size()> creators{};
  return creators;
}

const TKindRow* RowOf(int kind) {
  return kind >= 0 && kind < static_cast<int>(kKindRows.size()) ? &kKindRows[static_cast<std::size_t>(kind)] : nullptr;
}

}  // namespace

TVornObject* CreateComponentByType(TVornBaseList& owner, std::uint8_t kind) {
  const TKindRow* row = RowOf(kind & 0x7F);
  if (row == nullptr) return nullptr;
  const TComponentCreator create =
      row->row == TRowKind::kSlot ? SlotCreators()[static_cast<std::size_t>(row->kind)] : row->create;
  return create != nullptr ? create(owner) : nullptr;
}

bool IsComponentCreatorSlot(TComponentKind kind) {
  const TKindRow* row = RowOf(kind);
  return row != nullptr && row->row == TRowKind::kSlot;
}

TComponentCreator SetComponentCreator(TComponentKind kind, TComponentCreator creator) {
  if (!IsComponentCreatorSlot(kind)) {
    throw std::logic_error("component kind " + std::to_string(static_cast<int>(kind)) +
                           " has no creator slot: its class belongs to the components library");
  }
  TComponentCreator& slot = SlotCreators()[static_cast<std::size_t>(kind)];
  const TComponentCreator previous = slot;
  slot = creator;
  return previous;
}

}  // namespace vorn
