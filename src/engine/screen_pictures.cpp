#include "engine/screen_pictures.h"

#include <utility>

namespace vorn {
namespace {

TScreenPictures* screen_pictures = nullptr;
platform::Wallpaper* desktop_wallpaper = nullptr;

}  // namespace

TScreenPictures* GetScreenPictures() { return screen_pictures; }
TScreenPictures* SetScreenPictures(TScreenPictures* pictures) { return std::exchange(screen_pictures, pictures); }

platform::Wallpaper* GetDesktopWallpaper() { return desktop_wallpaper; }
platform::Wallpaper* SetDesktopWallpaper(platform::Wallpaper* wallpaper) {
  return std::exchange(desktop_wallpaper, wallpaper);
}

}  // namespace vorn
