#include "support/text/fake_image_source.h"

namespace vorn::test {

namespace {

class FakeFrames : public TWdImageFrames {
 public:
  FakeFrames(FakeImageSource& owner, const FakeImageSource::Picture& picture) : owner_(owner) {
    for (std::uint32_t color : picture.frame_colors) {
      auto surface = std::make_unique<TMemoryDIBX>(picture.width, picture.height, 32);
      surface->Fill(color);
      surface->ColorKey = picture.color_key;
      surfaces_.push_back(std::move(surface));
    }
    if (picture.mask_value >= 0) {
      mask_ = std::make_unique<TMemoryDIBX>(picture.width, picture.height, 8);
      mask_->Fill(static_cast<std::uint32_t>(picture.mask_value));
    }
  }

  int FrameCount() const override { return static_cast<int>(surfaces_.size()); }
  TCustomDIBX* FirstSurface() override { return surfaces_.empty() ? nullptr : surfaces_.front().get(); }
  TCustomDIBX* CurrentSurface() override {
    return surfaces_.empty() ? nullptr : surfaces_[static_cast<std::size_t>(current_)].get();
  }
  TCustomDIBX* CurrentMask() override { return mask_.get(); }
  bool Animate() override {
    if (surfaces_.size() < 2) return false;
    current_ = (current_ + 1) % FrameCount();
    return true;
  }
  void ReleaseAll() override { ++owner_.releases; }
  void RestoreAll() override { ++owner_.restores; }

 private:
  FakeImageSource& owner_;
  std::vector<std::unique_ptr<TMemoryDIBX>> surfaces_;
  std::unique_ptr<TMemoryDIBX> mask_;
  int current_ = 0;
};

}  // namespace

std::unique_ptr<TWdImageFrames> FakeImageSource::Load(const std::string& name) {
  ++loads;
  return std::make_unique<FakeFrames>(*this, pictures_.at(name));
}

}  // namespace vorn::test
