#include "components/scene_pictures.h"

#include <string>

#include "components/pelk_collection.h"
#include "components/vorn_base_list.h"
#include "engine/project.h"
#include "engine/script_scene.h"
#include "foundation/stream.h"
#include "foundation/vr_file_manager.h"
#include "graphics/custom_dibx.h"
#include "graphics/dib.h"
#include "graphics/dib_surface.h"
#include "graphics/pelk_frame_list.h"

namespace vorn {
namespace {

std::string LowerExtension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return {};
  std::string extension(name.substr(dot));
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return extension;
}

// Paints the whole layer, keeping the surface's drawing limit as it was.
void PaintWholeLayer(TVornBase& layer, TCustomDIBX& surface) {
  const TRect saved = surface.DirtyRect;
  surface.ResetDirtyRect();
  try {
    layer.Paint();
  } catch (...) {
    surface.ResetDirtyRect();
    surface.SetDirtyRect(saved);
    throw;
  }
  surface.ResetDirtyRect();
  surface.SetDirtyRect(saved);
}

std::uint32_t ProjectIdentificationCode() {
  const TProject* project = CurrentProject();
  return project != nullptr ? static_cast<std::uint32_t>(project->settings.identification_code) : 0;
}

}  // namespace

TVornBaseList* TScenePictures::Scene() const {
  if (scene_ != nullptr) return scene_;
  return dynamic_cast<TVornBaseList*>(GetScriptScene());
}

std::int32_t TScenePictures::SceneWidth() const {
  const TVornBaseList* scene = Scene();
  return scene != nullptr ? scene->GetWidth() : 0;
}

std::int32_t TScenePictures::SceneHeight() const {
  const TVornBaseList* scene = Scene();
  return scene != nullptr ? scene->GetHeight() : 0;
}

void TScenePictures::WriteLayerImage(TStream& out, bool other_layer, std::int32_t width, std::int32_t height,
                                     int compression, int quality) {
  TVornBaseList* scene = Scene();
  if (scene == nullptr) throw EScreenPictureError("screenshot: no scene");
  if (scene->GetWidth() <= 0 || scene->GetHeight() <= 0 || width <= 0 || height <= 0) {
    throw EScreenPictureError("screenshot: empty picture");
  }
  TVornBase* layer = other_layer ? scene->OtherLayer() : scene->ActiveLayer();
  TCustomDIBX* surface = layer->GetSurface();
  if (surface == nullptr) throw EScreenPictureError("screenshot: the layer has no surface");
  PaintWholeLayer(*layer, *surface);

  TPelkFrameList image(0);
  TDIBSurface& picture = image.AddFrame().Composite();
  surface->CopyToDIB24(picture, scene->GetWidth(), scene->GetHeight());
  picture.StretchTo(width, height, true, -1);
  image.SaveToStream(out, compression, quality);
}

void TScenePictures::PurgeImage(std::string_view name) {
  if (PelkMan != nullptr) PelkMan->Purge(name);
}

bool TScenePictures::WriteImageBitmap(TStream& out, std::string_view name) {
  const std::string extension = LowerExtension(name);
  if (extension == ".pel") return WriteCachedBitmap(out, std::string(name));
  TMemoryStream bytes;
  files_.LoadToStream(bytes, name);
  TPelkFrameList image(ProjectIdentificationCode());
  if (extension == ".png") {
    image.LoadPngFromStream(bytes);
  } else if (extension == ".bmp" || extension == ".dib") {
    image.LoadBitmapFromStream(bytes);
  }
  if (image.Count() == 0 || image.GetFrame(0).Composite().GetEmpty()) return false;
  image.GetFrame(0).Composite().SaveToStream(out);
  return true;
}

bool TScenePictures::WriteCachedBitmap(TStream& out, const std::string& name) {
  if (PelkMan == nullptr) return false;
  TPelkItem& item = PelkMan->Acquire(this, name, false, false);
  // Released on every path: the picture stays cached for whoever shows it, idle otherwise.
  struct TRelease {
    TPelkItem& item;
    const void* user;
    ~TRelease() { item.Release(user); }
  } release{item, this};
  const TPelkItemFrame* frame = item.Frame(0);
  if (frame == nullptr || frame->Surface().IsEmpty()) return false;
  TCustomDIBX& surface = frame->Surface();
  TDIB picture;
  surface.CopyToDIB24(picture, surface.GetWidth(), surface.GetHeight());
  picture.SaveToStream(out);
  return true;
}

bool TScenePictures::WriteLayerBitmap(TStream& out) {
  TVornBaseList* scene = Scene();
  if (scene == nullptr) return false;
  TCustomDIBX* surface = scene->ActiveLayer()->GetSurface();
  if (surface == nullptr) return false;
  TDIB picture;
  surface->CopyToDIB24(picture, surface->GetWidth(), surface->GetHeight());
  if (picture.GetEmpty()) return false;
  picture.SaveToStream(out);
  return true;
}

}  // namespace vorn
