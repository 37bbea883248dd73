#include "engine/script_page.h"

#include <algorithm>
#include <string>

#include "engine/engine_values.h"
#include "engine/param_collection.h"
#include "engine/script_files.h"
#include "engine/script_host.h"
#include "foundation/log_line.h"
#include "foundation/stream_encoding.h"
#include "foundation/system_texts.h"
#include "platform/text_converter.h"

namespace vorn {

TPage::~TPage() {
  TParamCollection* params = CurrentParams();
  if (!params || name_.empty()) return;
  // The page-bound variable is named byte for byte; a case-blind lookup could free the variable of
  // a page whose name differs only in case.
  const std::string bound = '\x01' + name_;
  for (int i = params->Count() - 1; i >= 0; --i) {
    TParamCollectionItem& item = params->GetItem(i);
    if (!item.IsSystem() && item.Name() == bound) {
      params->FreeItem(item);
      break;
    }
  }
}

void TPage::LoadPage(const std::string& name) {
  commands_.clear();
  name_ = name;
  LoadFromBytes(name, GetScriptFiles().ReadFile(name));
}

void TPage::LoadFromBytes(const std::string& name, std::vector<std::uint8_t> bytes) {
  commands_.clear();
  name_ = name;
  TMemoryStream stream(std::move(bytes));
  try {
    ReadBody(stream);
  } catch (const EBadCommand&) {
    commands_.clear();
    throw;
  } catch (const Exception& error) {
    commands_.clear();
    throw EPageError(name + ":" + error.what());
  }
}

void TPage::ReadBody(TStream& stream) {
  version_ = ReadIntFromStream(stream);
  if (version_ > kNewestPageVersion) {
    LogLine(platform::Cp932ToUtf8(name_) + ": page version " + std::to_string(version_) +
            " is newer than this player; the page is left empty");
    return;
  }
  if (version_ < kOldestPageVersion) {
    ReportOldVersion();
    return;
  }
  result_type_ = ReadByteFromStream(stream);
  const std::int32_t rows = ReadIntFromStream(stream);
  const std::int32_t row_size = ReadIntFromStream(stream);
  if (rows < 0 || row_size < 0) throw EPageError("Stream read error");
  if (static_cast<std::int64_t>(rows) * row_size > stream.Remaining()) throw EPageError("Stream read error");
  masks_.fill(0);
  const std::int32_t kept = std::min(row_size, kMaskRowBytes);
  const std::int32_t mask_rows = std::min(rows, static_cast<std::int32_t>(kMaskRows));
  for (std::int32_t row = 0; row < mask_rows; ++row) {
    if (kept > 0) stream.ReadBuffer(&masks_[static_cast<std::size_t>(row) * kMaskRowBytes], static_cast<std::size_t>(kept));
    stream.Seek(row_size - kept, SeekOrigin::kCurrent);
  }
  // Rows of codes this player does not know are skipped in one step: a page may claim billions
  // of empty ones.
  stream.Seek(static_cast<std::int64_t>(rows - mask_rows) * row_size, SeekOrigin::kCurrent);
  const std::int32_t count = ReadIntFromStream(stream);
  // Every command is at least its code byte and the ten-byte header.
  if (count < 0 || count > stream.Remaining() / 11) throw EPageError("Stream read error");
  commands_.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint8_t code = ReadByteFromStream(stream);
    std::unique_ptr<TCommand> command = CreateCommand(this, code);
    command->LoadFromStream(stream);
    commands_.push_back(std::move(command));
  }
}

void TPage::ReportOldVersion() {
  StopFlag = true;
  platform::MessageBoxRequest request;
  request.text = std::string(texts::kRebuildPage) + "\r\n" + name_;
  request.caption = std::string(texts::kWarningCaption);
  request.icon = platform::MessageIcon::kWarning;
  if (TScriptHost* host = GetScriptHost()) {
    host->ShowMessage(request);
    host->CloseMainWindow();
  } else {
    LogLine(platform::Cp932ToUtf8(request.text));
  }
}

int TPage::IndexOf(const TCommand* command) const {
  for (int i = 0; i < Count(); ++i) {
    if (commands_[static_cast<std::size_t>(i)].get() == command) return i;
  }
  return -1;
}

int TPage::IndexOfLabel(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    if (commands_[static_cast<std::size_t>(i)]->IsLabel(name)) return i;
  }
  return -1;
}

bool TPage::MaskHas(int code, int property) const {
  if (code < 0 || code >= kMaskRows || property < 0 || property > kLastMaskProperty) return false;
  const std::uint8_t row_byte = masks_[static_cast<std::size_t>(code) * kMaskRowBytes + static_cast<std::size_t>(property / 8)];
  return (row_byte >> (property % 8)) & 1;
}

}  // namespace vorn
