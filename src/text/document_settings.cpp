// The document settings record of saved games. Fields in stored order; shadow colour from save
// version 110, border width and shadow offset from 111.

#include <algorithm>
#include <string>

#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "text/zk_word.h"

namespace vorn {
namespace {

constexpr std::int32_t kShadowColorVersion = 110;
constexpr std::int32_t kBorderShadowVersion = 111;

// The fields the record holds, so that a record cut short leaves the document as it was.
struct DocumentSettings {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t font_size = 0;
  std::string face;
  std::int32_t text_color = 0;
  std::int32_t visible_height = 0;
  std::int32_t visible_width = 0;
  std::int32_t quality = 0;
  std::int32_t line_space = 0;
  std::uint8_t paging = 0;
  std::int32_t link_color = 0;
  std::int32_t link_hover_color = 0;
  std::int32_t fade_time = 0;
  std::int32_t border_color = 0;
  std::int32_t opacity = 0;
  std::uint8_t stopped = 0;
  std::int32_t caret_x = 0;
  std::int32_t caret_y = 0;
  std::int32_t delay_scale = 0;
  std::uint8_t events_on = 0;
  std::int32_t shadow_color = 0;
  std::int32_t border_width = 0;
  std::int32_t shadow_offset = 0;
};

}  // namespace

void TZkWord::SaveSettings(TStream& stream) const {
  WriteIntToStream(stream, Left);
  WriteIntToStream(stream, Top);
  WriteIntToStream(stream, FontSize);
  WriteStrToStream(stream, FontName);
  WriteIntToStream(stream, TextColor);
  WriteIntToStream(stream, VisibleHeight);
  WriteIntToStream(stream, VisibleWidth);
  WriteIntToStream(stream, Quality);
  WriteIntToStream(stream, LineSpace);
  WriteByteToStream(stream, Paging);
  WriteIntToStream(stream, LinkColor);
  WriteIntToStream(stream, LinkHoverColor);
  WriteIntToStream(stream, FadeTime);
  WriteIntToStream(stream, BorderColor);
  WriteIntToStream(stream, Opacity);
  WriteByteToStream(stream, Stopped);
  WriteIntToStream(stream, CaretX);
  WriteIntToStream(stream, CaretY);
  WriteIntToStream(stream, DelayScale);
  WriteByteToStream(stream, EventsOn);
  WriteIntToStream(stream, ShadowColor);
  WriteIntToStream(stream, BorderWidth);
  WriteIntToStream(stream, ShadowOffset);
}

void TZkWord::LoadSettings(TStream& stream, std::int32_t version) {
  DocumentSettings s;
  s.left = ReadIntFromStream(stream);
  s.top = ReadIntFromStream(stream);
  s.font_size = ReadIntFromStream(stream);
  s.face = ReadStrFromStream(stream);
  s.text_color = ReadIntFromStream(stream);
  s.visible_height = ReadIntFromStream(stream);
  s.visible_width = ReadIntFromStream(stream);
  s.quality = ReadIntFromStream(stream);
  s.line_space = ReadIntFromStream(stream);
  s.paging = ReadByteFromStream(stream);
  s.link_color = ReadIntFromStream(stream);
  s.link_hover_color = ReadIntFromStream(stream);
  s.fade_time = ReadIntFromStream(stream);
  s.border_color = ReadIntFromStream(stream);
  s.opacity = ReadIntFromStream(stream);
  s.stopped = ReadByteFromStream(stream);
  s.caret_x = ReadIntFromStream(stream);
  s.caret_y = ReadIntFromStream(stream);
  s.delay_scale = ReadIntFromStream(stream);
  s.events_on = ReadByteFromStream(stream);
  s.shadow_color = ShadowColor;
  s.border_width = BorderWidth;
  s.shadow_offset = ShadowOffset;
  if (version >= kShadowColorVersion) s.shadow_color = ReadIntFromStream(stream);
  if (version >= kBorderShadowVersion) {
    s.border_width = ReadIntFromStream(stream);
    s.shadow_offset = ReadIntFromStream(stream);
  }

  Left = s.left;
  Top = s.top;
  FontSize = s.font_size;
  FontName = std::move(s.face);
  TextColor = s.text_color;
  VisibleHeight = s.visible_height;
  VisibleWidth = s.visible_width;
  Quality = std::clamp(s.quality, 0, 3);
  LineSpace = s.line_space;
  Paging = s.paging;
  LinkColor = s.link_color;
  LinkHoverColor = s.link_hover_color;
  FadeTime = s.fade_time;
  BorderColor = s.border_color;
  Opacity = s.opacity;
  Stopped = s.stopped;
  CaretX = s.caret_x;
  CaretY = s.caret_y;
  DelayScale = s.delay_scale;
  EventsOn = s.events_on;
  ShadowColor = s.shadow_color;
  BorderWidth = s.border_width;
  ShadowOffset = s.shadow_offset;
}

}  // namespace vorn
