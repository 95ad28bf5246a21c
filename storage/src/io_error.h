// The one place where operating-system error numbers become the game's
// classic file failure codes and messages.
//
//   errno                                   code  message
//   --------------------------------------  ----  ------------------------
//   ENOENT, ENOTDIR                            2  "File not found"
//   ENAMETOOLONG, ELOOP, EINVAL                3  "Invalid filename"
//   EMFILE, ENFILE                             4  "Too many open files"
//   EACCES, EPERM, EROFS, ETXTBSY, EISDIR      5  "File access denied"
//   ENOSPC, EDQUOT, EFBIG                    101  "Disk full"
//   anything else (EIO, ENXIO, ...)    1000+errno  "I/O error <code>"
//
// A record read that gets too few bytes is 100 "Read beyond end of file" and
// a write that writes fewer bytes than asked (or nothing) is 101 "Disk full";
// those are raised by the callers, which know what they asked for.
//
// Opening a folder as a file is "File access denied", as it always was for
// this game. Unlisted error numbers are moved up by 1000 so that they can
// never be taken for one of the classic codes: EIO is 5 on Linux, which would
// otherwise read as "access denied"; it is reported as "I/O error 1005".
#pragma once

#include <string>

namespace vornakka::storage {

inline constexpr int kFileNotFound = 2;
inline constexpr int kInvalidFilename = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kReadBeyondEnd = 100;
inline constexpr int kDiskFull = 101;
inline constexpr int kInvalidNumericInput = 106;
inline constexpr int kUnmappedErrnoBase = 1000;

// The classic code for an errno value (table above).
int ioCodeForErrno(int err) noexcept;
// The message for a classic code: the named texts, "I/O error %d" otherwise.
std::string ioMessage(int code);

// Throws IoError(code, ioMessage(code)).
[[noreturn]] void throwIoCode(int code);
// Throws the IoError for an errno value.
[[noreturn]] void throwErrno(int err);

}  // namespace vornakka::storage
