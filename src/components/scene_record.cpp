// The scene record of a saved game.

#include <string>
#include <vector>

#include "components/saved_records.h"
#include "components/vorn_base_list.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"

namespace vorn {

namespace {

bool TooLargeToSave(std::int32_t width, std::int32_t height) {
  return width > 0 && height > 0 && std::int64_t{width} * height > kMaxSavedScenePixels;
}

}  // namespace

void TVornBaseList::SaveToStream(TStream& stream) const {
  if (TooLargeToSave(width_, height_)) {
    throw EWriteError("saved scene: a scene of " + std::to_string(width_) + " x " + std::to_string(height_) +
                      " pixels is too large to save");
  }
  WriteIntToStream(stream, width_);
  WriteIntToStream(stream, height_);
  WriteIntToStream(stream, active_layer_);
  layers_[0]->SaveToStream(stream);
  layers_[1]->SaveToStream(stream);
  std::vector<const TVornObject*> saved;
  for (const auto& object : objects_) {
    if (object->AsControl() == nullptr && object->IsSavedInScene()) saved.push_back(object.get());
  }
  WriteIntToStream(stream, static_cast<std::int32_t>(saved.size()));
  for (const TVornObject* object : saved) {
    WriteByteToStream(stream, object->GetCompoType());
    object->SaveToStream(stream);
  }
  events_.SaveToStream(stream);
  const TVornControl* focused = GetFocusedControl();
  WriteStrToStream(stream, focused != nullptr ? focused->GetName() : std::string());
}

void TVornBaseList::LoadFromStream(TStream& stream, std::int32_t version) {
  const std::int64_t start = stream.Position();
  try {
    LoadSceneRecord(stream, version);
  } catch (const ESavedSceneError&) {
    throw;
  } catch (const EReadError& error) {
    // The primitive readers fail only where the bytes run out before what a field or count
    // promises.
    throw ESavedSceneError("record truncated at byte " + std::to_string(stream.Position() - start) + " (" +
                           error.what() + ")");
  }
}

void TVornBaseList::LoadSceneRecord(TStream& stream, std::int32_t version) {
  ResetScene();
  const std::int32_t width = ReadIntFromStream(stream);
  const std::int32_t height = ReadIntFromStream(stream);
  if (TooLargeToSave(width, height)) {
    throw ESavedSceneError("a scene of " + std::to_string(width) + " x " + std::to_string(height) +
                           " pixels is too large");
  }
  // Width and height together: one after the other would first make surfaces of the new width
  // and the old height, which the bound above does not cover.
  width_ = width;
  height_ = height;
  SizeComposite();
  for (auto& layer : layers_) {
    layer->width_ = width;
    layer->height_ = height;
    layer->RestoreSurfaces();
  }
  const std::int32_t active = ReadIntFromStream(stream);
  if (active != 0 && active != 1) throw ESavedSceneError("active layer " + std::to_string(active));
  active_layer_ = active;

  layers_[0]->LoadFromStream(stream, version);
  layers_[1]->LoadFromStream(stream, version);
  layers_[0]->InvalidateAll();
  layers_[1]->InvalidateAll();

  const std::int32_t count = ReadIntFromStream(stream);
  if (count < 0) throw ESavedSceneError("negative component count " + std::to_string(count));
  // Created one record at a time: a count larger than the record ends at the missing bytes.
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t kind = ReadByteFromStream(stream);
    TVornObject* object = CreateComponentByType(kind);
    if (object == nullptr) throw ESavedSceneError("no component of kind " + std::to_string(kind));
    object->LoadFromStream(stream, version);
  }

  // After the components, so that the events' targets resolve.
  events_.LoadFromStream(stream, version);

  if (version >= kFirstVersionWithFocusName) {
    const std::string name = ReadStrFromStream(stream);
    if (TVornControl* control = name.empty() ? nullptr : FindControl(name)) {
      focused_ = TObjectHandle(control);
      control->FocusGained();
      focus_choice_requested_ = false;
    }
  }
}

}  // namespace vorn
