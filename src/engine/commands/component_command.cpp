#include "engine/commands/component_command.h"

#include <span>

#include "engine/script_page.h"

namespace vorn {

static_assert(kMaskRowBytes == kPropertyMaskBytes);

TComComponent::TComComponent(TPage* page, int code) : TCommand(page), code_(code) {
  if (page == nullptr || code < 0 || code >= kMaskRows) return;
  const auto& masks = page->Masks();
  properties_.CreateSlots(std::span<const std::uint8_t, kPropertyMaskBytes>(
      masks.data() + static_cast<std::size_t>(code) * kMaskRowBytes, kPropertyMaskBytes));
}

void TComComponent::LoadFromStream(TStream& stream) {
  TCommand::LoadFromStream(stream);
  properties_.LoadFromStream(stream);
}

}  // namespace vorn
