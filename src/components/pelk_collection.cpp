#include "components/pelk_collection.h"

#include <algorithm>
#include <cassert>
#include <exception>
#include <limits>

#include "components/picture_paint.h"
#include "components/picture_surface.h"
#include "engine/project.h"
#include "foundation/log_line.h"
#include "foundation/sjis.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vr_file_manager.h"
#include "graphics/dibx.h"
#include "graphics/pelk_frame_list.h"
#include "platform/text_converter.h"

namespace vorn {

TPelkCollection* PelkMan = nullptr;

namespace {

constexpr char kMaskSuffix[] = "?m";
constexpr char kTrimSuffix[] = "?t";
constexpr int kMissingSide = 8;
constexpr std::int32_t kBlack = 0x000000;

std::int64_t SurfaceBytes(TCustomDIBX& surface) {
  return std::int64_t{surface.GetWidth()} * surface.GetHeight() * ((surface.GetBitCount() + 7) / 8);
}

}  // namespace

// ---- frames ----

TPelkItemFrame::TPelkItemFrame() = default;
TPelkItemFrame::~TPelkItemFrame() = default;

TCustomDIBX* TPelkItemFrame::Mask() const { return mask_.get(); }

std::int64_t TPelkItemFrame::SizeInBytes() const {
  std::int64_t size = surface_ ? SurfaceBytes(*surface_) : 0;
  if (mask_) size += SurfaceBytes(*mask_);
  return size;
}

void TPelkItemFrame::Draw(TCustomDIBX& target, int x, int y, std::int32_t alpha, bool flip_h, bool flip_v,
                          const TRect& source) const {
  if (surface_) DrawPictureAt(target, x, y, *surface_, source, mask_.get(), alpha, flip_h, flip_v);
}

void TPelkItemFrame::DrawTiled(TCustomDIBX& target, const TRect& rect, std::int32_t alpha, bool flip_v,
                               bool flip_h, std::int32_t start_y, std::int32_t start_x,
                               const TRect& source) const {
  const std::int64_t source_width = std::int64_t{source.right} - source.left;
  const std::int64_t source_height = std::int64_t{source.bottom} - source.top;
  if (source_width <= 0 || source_height <= 0 || rect.right <= rect.left || rect.bottom <= rect.top) return;
  auto wrap = [](std::int64_t start, std::int64_t size) { return ((start % size) + size) % size; };
  std::int64_t line = wrap(start_y, source_height);
  for (std::int64_t y = rect.top; y < rect.bottom;) {
    const std::int64_t h = std::min(source_height - line, std::int64_t{rect.bottom} - y);
    const std::int64_t place_y = flip_v ? std::int64_t{rect.top} + rect.bottom - y - h : y;
    std::int64_t column = wrap(start_x, source_width);
    for (std::int64_t x = rect.left; x < rect.right;) {
      const std::int64_t w = std::min(source_width - column, std::int64_t{rect.right} - x);
      const std::int64_t place_x = flip_h ? std::int64_t{rect.left} + rect.right - x - w : x;
      const TRect piece{static_cast<int>(source.left + column), static_cast<int>(source.top + line),
                        static_cast<int>(source.left + column + w), static_cast<int>(source.top + line + h)};
      Draw(target, static_cast<int>(place_x), static_cast<int>(place_y), alpha, flip_h, flip_v, piece);
      x += w;
      column = 0;
    }
    y += h;
    line = 0;
  }
}

// ---- items ----

TPelkItem::TPelkItem(TPelkCollection& owner, std::string key, std::string file_name, bool trimmed, bool mask)
    : owner_(owner), key_(std::move(key)), file_name_(std::move(file_name)), trimmed_(trimmed), mask_(mask) {}

TPelkItem::~TPelkItem() = default;

TPelkItemFrame* TPelkItem::Frame(int index) const {
  if (index < 0 || index >= FrameCount()) return nullptr;
  return frames_[static_cast<std::size_t>(index)].get();
}

bool TPelkItem::HasUser(const void* user) const {
  return std::find(users_.begin(), users_.end(), user) != users_.end();
}

std::int64_t TPelkItem::SizeInBytes() const {
  std::int64_t size = 0;
  for (const auto& frame : frames_) size += frame->SizeInBytes();
  return size;
}

void TPelkItem::Release(const void* user) {
  const auto it = std::find(users_.begin(), users_.end(), user);
  if (it == users_.end()) return;
  users_.erase(it);
  if (!users_.empty()) return;
  owner_.MakeIdle(*this);
  owner_.Trim();
}

// ---- the collection ----

TPelkCollection::TPelkCollection(const TVornBaseList* scene) : scene_(scene) {}

TPelkCollection::~TPelkCollection() {
  // Every user releases its pictures before the cache goes (the scene is freed first).
  assert(UserTotal() == 0);
  idle_.clear();
  items_.clear();
}

int TPelkCollection::UserTotal() const {
  int total = 0;
  for (const auto& [key, item] : items_) total += item->UserCount();
  return total;
}

std::string TPelkCollection::KeyOf(std::string_view name, bool trimmed, bool mask) {
  std::string key(name);
  if (mask) key += kMaskSuffix;
  if (trimmed) key += kTrimSuffix;
  return key;
}

std::string TPelkCollection::Folded(std::string_view key) { return Cp932LowerCase(key); }

TPelkItem* TPelkCollection::Find(std::string_view key) const {
  const auto it = items_.find(Folded(key));
  return it != items_.end() ? it->second.get() : nullptr;
}

TPelkItem& TPelkCollection::Acquire(const void* user, const std::string& name, bool trimmed, bool mask) {
  const std::string key = KeyOf(name, trimmed, mask);
  const std::string folded = Folded(key);
  auto it = items_.find(folded);
  if (it == items_.end()) {
    auto made = std::make_unique<TPelkItem>(*this, key, name, trimmed, mask);
    TPelkItem& item = *made;
    it = items_.emplace(folded, std::move(made)).first;
    try {
      Load(item);
    } catch (...) {
      // Nothing half-made stays behind: the next acquire tries again.
      items_.erase(it);
      throw;
    }
  }
  TPelkItem& item = *it->second;
  if (!item.HasUser(user)) item.users_.push_back(user);
  LeaveIdle(item);
  return item;
}

void TPelkCollection::Purge(std::string_view name) {
  for (const bool mask : {false, true}) {
    for (const bool trimmed : {false, true}) {
      TPelkItem* item = Find(KeyOf(name, trimmed, mask));
      if (item != nullptr && item->IsIdle()) Free(*item);
    }
  }
}

void TPelkCollection::MakeIdle(TPelkItem& item) {
  if (item.idle_) return;
  item.idle_size_ = item.SizeInBytes();
  item.idle_place_ = idle_.insert(idle_.end(), &item);
  item.idle_ = true;
  idle_bytes_ += item.idle_size_;
}

void TPelkCollection::LeaveIdle(TPelkItem& item) {
  if (!item.idle_) return;
  idle_.erase(item.idle_place_);
  idle_bytes_ -= item.idle_size_;
  item.idle_ = false;
  item.idle_size_ = 0;
}

void TPelkCollection::Trim() {
  while (idle_.size() > 1 && idle_bytes_ > kIdleLimitBytes) Free(*idle_.front());
}

void TPelkCollection::Free(TPelkItem& item) {
  LeaveIdle(item);
  items_.erase(Folded(item.Name()));
}

bool TPelkCollection::ReadPicture(const std::string& name, TStream& stream, std::uint32_t& identification_code) const {
  TProject* project = CurrentProject();
  if (project == nullptr || !project->Files().Exists(name)) return false;
  project->Files().LoadToStream(stream, name);
  identification_code = static_cast<std::uint32_t>(project->settings.identification_code);
  return true;
}

bool TPelkCollection::Decode(const TPelkItem& item, TPelkFrameList& list) const {
  TMemoryStream stream;
  std::uint32_t identification_code = 0;
  if (!ReadPicture(item.FileName(), stream, identification_code)) return false;
  stream.SetPosition(0);
  list.IdentificationCode = identification_code;
  // The loader's own conversion would give every keyed frame an alpha plane and so erase the
  // difference between the plain and the mask variant: convert here instead.
  list.LoadFromStream(stream, false, false);
  if (item.IsMaskVariant()) list.MakeAlphaAll();
  if (cg_dither_) {
    const int bits = PictureBitCount(scene_);
    for (int i = 0; i < list.Count(); ++i) {
      TPelkFrame& frame = list.GetFrame(i);
      if (frame.HasAlpha() || frame.TransparentColor < 0) frame.Composite().ConvertTo(bits, 0, true);
    }
  }
  return true;
}

void TPelkCollection::FillFrame(const TPelkItem& item, TPelkFrame& source, TPelkItemFrame& frame) const {
  source.AssignTo(*frame.surface_);
  frame.surface_->ColorKey = source.TransparentColor >= 0 ? frame.surface_->ColorToPixel(source.TransparentColor) : -1;
  if (source.HasAlpha() || item.IsMaskVariant()) {
    if (!frame.mask_) frame.mask_ = std::make_unique<TDIBX>();
    source.AssignAlphaTo(*frame.mask_);
  }
  frame.transparent_color_ = source.TransparentColor;
  frame.delay_ = std::max<std::int32_t>(1, source.Delay);
}

void TPelkCollection::MakeBlank(const TPelkItem& item, TPelkItemFrame& frame) const {
  frame.surface_ = MakePictureSurface(scene_);
  frame.surface_->SetSize(kMissingSide, kMissingSide, frame.surface_->GetBitCount());
  frame.surface_->Fill(static_cast<std::uint32_t>(frame.surface_->ColorToPixel(kBlack)));
  frame.surface_->ColorKey = frame.surface_->ColorToPixel(kBlack);
  frame.transparent_color_ = kBlack;
  frame.offset_x_ = frame.offset_y_ = 0;
  if (item.IsMaskVariant() || frame.mask_) {
    if (!frame.mask_) frame.mask_ = std::make_unique<TDIBX>();
    frame.mask_->SetSize(kMissingSide, kMissingSide, 8);
    frame.mask_->Fill(0);
  }
}

void TPelkCollection::Blank(TPelkItem& item) {
  // The old surfaces belong to the display mode that has gone and cannot be drawn on the new one:
  // without the file to read again, the frames draw nothing until it comes back.
  LogLine("The picture " + platform::Cp932ToUtf8(item.FileName()) +
          " is gone and draws nothing until the display is restored with it present");
  for (auto& frame : item.frames_) MakeBlank(item, *frame);
}

void TPelkCollection::Load(TPelkItem& item) {
  item.frames_.clear();
  item.total_delay_ = 0;
  item.width_ = item.height_ = 0;
  TPelkFrameList list;
  if (!Decode(item, list)) {
    auto frame = std::make_unique<TPelkItemFrame>();
    MakeBlank(item, *frame);
    item.total_delay_ = frame->delay_;
    item.width_ = item.height_ = kMissingSide;
    item.frames_.push_back(std::move(frame));
    return;
  }
  if (list.Count() == 0) return;
  item.width_ = list.GetFrame(0).Composite().Width();
  item.height_ = list.GetFrame(0).Composite().Height();
  std::int64_t total = 0;
  for (int i = 0; i < list.Count(); ++i) {
    TPelkFrame& source = list.GetFrame(i);
    auto frame = std::make_unique<TPelkItemFrame>();
    if (item.IsTrimmed()) {
      const TRect crop = source.CropToContent();
      frame->offset_x_ = crop.left;
      frame->offset_y_ = crop.top;
    }
    frame->surface_ = MakePictureSurface(scene_);
    FillFrame(item, source, *frame);
    total += frame->delay_;
    item.frames_.push_back(std::move(frame));
  }
  item.total_delay_ = static_cast<std::int32_t>(std::min<std::int64_t>(total, std::numeric_limits<std::int32_t>::max()));
}

void TPelkCollection::Reload(TPelkItem& item, bool new_surfaces) {
  TPelkFrameList list;
  try {
    if (!Decode(item, list)) {
      if (new_surfaces) Blank(item);
      return;
    }
  } catch (const std::exception& error) {
    LogLine("The picture " + platform::Cp932ToUtf8(item.FileName()) +
            " could not be read again and keeps its old frames: " + platform::Cp932ToUtf8(error.what()));
    return;
  }
  // Users may hold frames: the frame array itself never changes here, whatever the file now holds.
  const int count = std::min(list.Count(), item.FrameCount());
  for (int i = 0; i < count; ++i) {
    TPelkFrame& source = list.GetFrame(i);
    TPelkItemFrame& frame = *item.frames_[static_cast<std::size_t>(i)];
    const bool keyed_only = source.TransparentColor >= 0 && !source.HasAlpha();
    if (!new_surfaces && keyed_only) continue;
    frame.offset_x_ = frame.offset_y_ = 0;
    if (item.IsTrimmed() && (source.TransparentColor >= 0 || source.HasAlpha())) {
      const TRect crop = source.CropToContent();
      frame.offset_x_ = crop.left;
      frame.offset_y_ = crop.top;
    }
    if (new_surfaces) frame.surface_ = MakePictureSurface(scene_);
    FillFrame(item, source, frame);
  }
}

void TPelkCollection::SetCGDither(bool flag) {
  if (flag == cg_dither_) return;
  cg_dither_ = flag;
  for (auto& [key, item] : items_) Reload(*item, false);
}

void TPelkCollection::SaveToStream(TStream& stream) const { WriteByteToStream(stream, cg_dither_ ? 1 : 0); }

void TPelkCollection::LoadFromStream(TStream& stream, std::int32_t version) {
  if (version > 100) SetCGDither(ReadByteFromStream(stream) != 0);
}

void TPelkCollection::ReleaseSurfaces() {
  for (auto& [key, item] : items_) {
    for (auto& frame : item->frames_) {
      if (frame->surface_) frame->surface_->Release();
    }
  }
}

void TPelkCollection::RestoreSurfaces() {
  for (auto& [key, item] : items_) Reload(*item, true);
}

}  // namespace vorn
