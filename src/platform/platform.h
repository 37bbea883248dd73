#pragma once

#include "platform/audio_output.h"
#include "platform/clipboard.h"
#include "platform/clock.h"
#include "platform/cursors.h"
#include "platform/display_service.h"
#include "platform/drive_type.h"
#include "platform/font_catalog.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/paths.h"
#include "platform/url_opener.h"
#include "platform/wallpaper.h"
#include "platform/window.h"

namespace vorn::platform {

// Every host service the player uses, handed down from main (real) or a test (headless).
struct Platform {
  ExecutableLocation& executable;
  DriveTypes& drives;
  InstanceLocks& locks;
  Clock& clock;
  MessageBoxes& boxes;
  Application& application;
  // Null when the host offers no display modes (windowed only).
  DisplayService* display = nullptr;
  // Null when the host has no desktop wallpaper to set.
  Wallpaper* wallpaper = nullptr;
  // Where scripts' web addresses go; null: nowhere.
  UrlOpener* url_opener = nullptr;
  // The installed fonts; null keeps the fixed list (headless runs and tests).
  FontCatalog* fonts = nullptr;
  // The mouse cursors over the drawing panel; null: the system arrow only.
  Cursors* cursors = nullptr;
  // The sound device; null: none, so every client's start-up fails.
  AudioOutput* audio = nullptr;
  // The clipboard text fields copy to and paste from; null: none (copy and paste do nothing).
  IClipboard* clipboard = nullptr;
};

}  // namespace vorn::platform
