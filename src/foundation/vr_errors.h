#pragma once

// Errors of the virtual file system: archives, members, extraction and discs.

#include "foundation/errors.h"

namespace vorn {

// Base of the family; what() is the system's message (CP932) or names the file concerned.
class EVrFileError : public Exception {
 public:
  using Exception::Exception;
};

// A name found nowhere: "%s:ファイルがありません".
class EVrFileNotFound : public EVrFileError {
 public:
  using EVrFileError::EVrFileError;
};

// Stored bytes of an archive (directory or member) are broken. Names the archive, and the member
// where one is concerned.
class EVrArchiveError : public EVrFileError {
 public:
  using EVrFileError::EVrFileError;
};

// A resource archive is empty: "リソースが見つかりません".
class EVrResourceNotFound : public EVrFileError {
 public:
  using EVrFileError::EVrFileError;
};

// A temporary copy of a member cannot be made: "作業用ファイルが作れません".
class EVrTempFileError : public EVrFileError {
 public:
  using EVrFileError::EVrFileError;
};

}  // namespace vorn
