#include "components/vorn_edit.h"

#include <climits>
#include <string>

#include "components/vorn_base_list.h"
#include "foundation/log_line.h"
#include "foundation/stream.h"
#include "foundation/stream_encoding.h"
#include "foundation/vocabulary_codes.h"
#include "platform/text_converter.h"
#include "platform/text_field.h"

namespace vorn {

namespace {

// What the desktop's controls start with and the Part leaves open; the face is the one of the
// player's own dialogs.
constexpr char kDefaultFace[] = "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E";  // ＭＳ Ｐゴシック
constexpr std::int32_t kDefaultFontHeight = 12;
constexpr std::int32_t kDefaultBackColor = 0xFFFFFF;

std::unique_ptr<platform::TextField> MakeField(TVornBaseList* owner, bool multi_line) {
  if (owner != nullptr) return owner->TextFields().CreateField(multi_line);
  platform::TextFieldHost detached;
  return detached.CreateField(multi_line);
}

}  // namespace

TVornCustomEdit::TVornCustomEdit(TVornBaseList* owner, bool multi_line)
    : TVornControl(owner),
      field_(MakeField(owner, multi_line)),
      font_height_(kDefaultFontHeight),
      back_color_(kDefaultBackColor) {
  platform::TextFieldFontSpec font;
  font.face = kDefaultFace;
  font.height = kDefaultFontHeight;
  field_->SetFont(font);
  field_->SetBackgroundColor(static_cast<std::uint32_t>(back_color_));
  field_->SetTextColor(static_cast<std::uint32_t>(font_color_));
}

TVornCustomEdit::~TVornCustomEdit() = default;

void TVornCustomEdit::Create(std::unique_ptr<TVornObject> self) {
  TVornControl::Create(std::move(self));
  field_->on_key_down = [this](int key) { KeyDownInField(key); };
  field_->on_keyboard_taken = [this] { KeyboardTaken(); };
  if (TVornBaseList* scene = GetOwner()) scene->TextFieldControls().AddUnique(this);
}

void TVornCustomEdit::Destroying() {
  if (TVornBaseList* scene = GetOwner()) scene->TextFieldControls().Remove(this);
  field_->on_key_down = nullptr;
  field_->on_keyboard_taken = nullptr;
  field_->SetVisible(false);
  TVornControl::Destroying();
}

// ---- placement, focus and keys ----

void TVornCustomEdit::Place() {
  field_->SetBounds(platform::Rect{GetScreenLeft(), GetScreenTop(), GetWidth(), GetHeight()});
  const bool shown = IsShowing();
  field_->SetVisible(shown);
  if (shown && field_->enabled()) field_->TakeKeyboard();
}

void TVornCustomEdit::AfterSceneTick() {
  if (IsShowing() != field_->visible()) Place();
}

void TVornCustomEdit::FocusGained() {
  if (field_->visible() && field_->enabled()) field_->TakeKeyboard();
}

void TVornCustomEdit::KeyboardTaken() {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr) return;
  scene->SetFocusedControl(this);
  scene->ClearKeys();
}

void TVornCustomEdit::KeyDownInField(int key) {
  TVornBaseList* scene = GetOwner();
  if (scene == nullptr || !CanPostEvent(scene->Events(), *this, on_notify_, PR_ONNOTIFY, TPostKind::kPlain)) return;
  TArrayString arguments;
  arguments.Add(std::to_string(key));
  arguments.Add(field_->Text());
  scene->Events().PostEvent(this, on_notify_, &arguments, PR_ONNOTIFY);
}

// ---- properties ----

std::string TVornCustomEdit::GetText() const { return field_->Text(); }

void TVornCustomEdit::SetText(const std::string& value) { field_->SetText(value); }

std::string TVornCustomEdit::GetFontName() const { return field_->font().face; }

void TVornCustomEdit::SetFontName(const std::string& value) {
  platform::TextFieldFontSpec font = field_->font();
  font.face = value;
  field_->SetFont(font);
  if (!field_->FontFaceKnown() && value != logged_face_) {
    logged_face_ = value;
    LogLine("The text field's font " + platform::Cp932ToUtf8(value.substr(0, 64)) +
            " is not installed; another face stands in for it");
  }
}

std::int32_t TVornCustomEdit::GetFontHeight() const {
  return font_height_ == INT32_MIN ? INT32_MAX : (font_height_ < 0 ? -font_height_ : font_height_);
}

void TVornCustomEdit::SetFontHeight(std::int32_t value) {
  font_height_ = value;
  platform::TextFieldFontSpec font = field_->font();
  font.height = value;
  field_->SetFont(font);
}

TFontStyleSet TVornCustomEdit::GetFontStyle() const {
  return TFontStyleSet::FromBits(static_cast<std::int32_t>(field_->font().style));
}

void TVornCustomEdit::SetFontStyle(TFontStyleSet value) {
  platform::TextFieldFontSpec font = field_->font();
  font.style = static_cast<unsigned>(value.ToBits());
  field_->SetFont(font);
}

void TVornCustomEdit::SetFontColor(std::int32_t value) {
  font_color_ = value;
  field_->SetTextColor(static_cast<std::uint32_t>(value));
}

void TVornCustomEdit::SetColor(std::int32_t value) {
  back_color_ = value;
  field_->SetBackgroundColor(static_cast<std::uint32_t>(value));
}

bool TVornCustomEdit::GetReadOnly() const { return field_->read_only(); }

void TVornCustomEdit::SetReadOnly(bool value) { field_->SetReadOnly(value); }

bool TVornCustomEdit::GetPaused() const { return !field_->enabled(); }

void TVornCustomEdit::SetPaused(bool value) { field_->SetEnabled(!value); }

void TVornCustomEdit::SetVisible(bool value) {
  const bool changed = GetVisibleFlag() != value;
  TVornControl::SetVisible(value);
  // Shown at once: the tick's check hides it again before the frame paints when it cannot be seen.
  if (changed) field_->SetVisible(value);
}

void TVornCustomEdit::SetWidth(std::int32_t value) {
  TVornControl::SetWidth(value);
  Place();
}

void TVornCustomEdit::SetHeight(std::int32_t value) {
  TVornControl::SetHeight(value);
  Place();
}

void TVornCustomEdit::SetPlusX(std::int32_t value) {
  TVornControl::SetPlusX(value);
  Place();
}

void TVornCustomEdit::SetPlusY(std::int32_t value) {
  TVornControl::SetPlusY(value);
  Place();
}

void TVornCustomEdit::SetParent(TVornControl* parent) {
  TVornControl::SetParent(parent);
  Place();
}

void TVornMemo::SetHAlign(std::uint8_t value) {
  halign_ = value;
  Field().SetAlignment(value);
}

// ---- record ----

void TVornCustomEdit::SaveClassFields(TStream& stream) const {
  TVornControl::SaveClassFields(stream);
  WriteByteToStream(stream, GetPaused() ? 1 : 0);
  WriteStrToStream(stream, GetText());
  WriteStrToStream(stream, GetFontName());
  WriteIntToStream(stream, GetFontHeight());
  WriteByteToStream(stream, static_cast<std::uint8_t>(GetFontStyle().ToBits()));
  WriteIntToStream(stream, font_color_);
  WriteIntToStream(stream, back_color_);
  WriteByteToStream(stream, GetReadOnly() ? 1 : 0);
  SaveAlignment(stream);
  WriteStrToStream(stream, on_notify_);
}

void TVornCustomEdit::LoadClassFields(TStream& stream, std::int32_t version) {
  TVornControl::LoadClassFields(stream, version);
  SetPaused(ReadByteFromStream(stream) != 0);
  SetText(ReadStrFromStream(stream));
  SetFontName(ReadStrFromStream(stream));
  SetFontHeight(ReadIntFromStream(stream));
  SetFontStyle(TFontStyleSet::FromBits(ReadByteFromStream(stream)));
  SetFontColor(ReadIntFromStream(stream));
  SetColor(ReadIntFromStream(stream));
  SetReadOnly(ReadByteFromStream(stream) != 0);
  LoadAlignment(stream);
  SetOnNotify(ReadStrFromStream(stream));
  field_->SetVisible(GetVisibleFlag());
  Place();
}

void TVornMemo::SaveAlignment(TStream& stream) const { WriteByteToStream(stream, halign_); }

void TVornMemo::LoadAlignment(TStream& stream) { SetHAlign(ReadByteFromStream(stream)); }

}  // namespace vorn
