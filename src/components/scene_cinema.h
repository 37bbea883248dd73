#pragma once

#include "components/vorn_base_list.h"

namespace vorn {

// A layer of a scene nested inside a control (the host): it draws on the host's surface at the
// host's screen corner, inside the host, and its dirty rectangles also reach the host's layer.
class TVornBaseCinema : public TVornBase {
 public:
  using TVornBase::TVornBase;

  TCustomDIBX* GetSurface() const override;
  std::int32_t GetScreenLeft() const override;
  std::int32_t GetScreenTop() const override;
  // The host's screen rectangle, narrowed by the host's clip rectangle when it has one.
  TRect GetClipRect() const override;
  void InvalidateRect(const TRect& rect) override;

 private:
  TVornControl* Host() const;
};

// A scene nested inside a host control; its layers are TVornBaseCinema (until a reset).
class TVornBaseListCinema : public TVornBaseList {
 public:
  // bit_count: the host's layer depth.
  TVornBaseListCinema(TVornControl& host, int bit_count);
  TVornControl* GetHost() const;

 private:
  TObjectHandle host_;
};

}  // namespace vorn
