#pragma once

// The command base every script command derives from, the factory that makes a command from its
// stored code, and the header of a command's saved run-time state.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/vorn_parser.h"
#include "foundation/errors.h"
#include "foundation/stream.h"

namespace vorn {

class TPage;
class TCallMan;

// A page that cannot be read: a bad command code, a record cut short, a count beyond the bytes.
class EPageError : public EReadError {
 public:
  using EReadError::EReadError;
};

// A command code without a class: "不正なコマンド".
class EBadCommand : public EPageError {
 public:
  using EPageError::EPageError;
};

class TCommand {
 public:
  explicit TCommand(TPage* page) : page_(page) {}
  virtual ~TCommand() = default;
  TCommand(const TCommand&) = delete;
  TCommand& operator=(const TCommand&) = delete;

  virtual int GetCode() const { return 8; }
  virtual bool GetRunFlag() const { return run_flag_ != 0; }
  virtual bool GetSkip() const { return skip_ != 0; }
  virtual void SetSkip(bool flag) { skip_ = flag ? 1 : 0; }
  virtual bool BlocksEvents() const { return false; }
  virtual bool IsLabel(std::string_view /*name*/) const { return false; }
  // The common header; each command reads its own record after it.
  virtual void LoadFromStream(TStream& stream);
  virtual void Enter(TCallMan& /*callman*/) {}
  // One step. The interpreter takes the page and index back only when this returns normally.
  virtual void Execute(TCallMan& callman, TPage*& page, std::int32_t& index);
  // Appends the run-time state, creating the stream when there is none.
  virtual void SaveState(std::unique_ptr<TMemoryStream>& /*stream*/) {}
  virtual void LoadState(TStream& /*stream*/) {}
  virtual void Finish() {}
  virtual bool IsWaiting() const { return false; }

  TPage* Page() const { return page_; }
  std::int32_t Indent() const { return indent_; }
  std::uint8_t SkipByte() const { return skip_; }
  std::uint8_t RunByte() const { return run_flag_; }
  std::int32_t Line() const { return line_; }

 protected:
  TPage* page_;
  std::int32_t indent_ = 0;
  std::uint8_t skip_ = 0;
  std::uint8_t run_flag_ = 0;
  std::int32_t line_ = 0;
};

// A command read field by field from the layout of its code. It keeps what it read, and the raw
// bytes of its record, until a class of its own gives the code its behaviour.
class TComRecord : public TCommand {
 public:
  TComRecord(TPage* page, int code) : TCommand(page), code_(code) {}

  int GetCode() const override { return code_; }
  void LoadFromStream(TStream& stream) override;

  const std::vector<std::unique_ptr<TVornParser>>& Expressions() const { return expressions_; }
  const std::vector<std::string>& Strings() const { return strings_; }
  const std::vector<std::int32_t>& Ints() const { return ints_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // The property indices of the property expressions, in the order read.
  const std::vector<std::uint8_t>& Properties() const { return properties_; }
  // The record after the common header, as stored.
  const std::vector<std::uint8_t>& Record() const { return record_; }

 protected:
  // Reads the fields of the record layout into the lists above.
  void ReadFields(TStream& stream);

 private:
  int code_;
  std::vector<std::unique_ptr<TVornParser>> expressions_;
  std::vector<std::string> strings_;
  std::vector<std::int32_t> ints_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::uint8_t> properties_;
  std::vector<std::uint8_t> record_;
};

class TComLabel : public TComRecord {
 public:
  explicit TComLabel(TPage* page, int code = 3);
  bool IsLabel(std::string_view name) const override;
  const std::string& Text() const;
};

class TComComment : public TComLabel {
 public:
  explicit TComComment(TPage* page) : TComLabel(page, 27) {}
  bool GetRunFlag() const override { return false; }
  bool GetSkip() const override { return true; }
};

// The record layout of each command code after the common header, one letter a field:
// E expression, S string, I int32, B byte, P the property expressions of the page's mask row,
// N an int32 count and that many expressions, T an int32 count and that many bytes. A digit d
// makes the next field exist only in pages of version above 100 + d.
std::string_view CommandLayout(int code);

// Makes the command of the stored code (its high bit ignored); "不正なコマンド" for a code
// without a class.
std::unique_ptr<TCommand> CreateCommand(TPage* page, std::uint8_t code);

// Reads the "vorn" + three-digit header of a command's saved state and returns its number; state
// without the header is left unread and gives 0.
std::int32_t ReadStateHeader(TStream& stream);
// Writes the current header, "vorn100".
void WriteStateHeader(TStream& stream);

}  // namespace vorn
