#pragma once

#include <string>
#include <string_view>

// Why something could not be done, for the person who asked: a code the program can act on and a
// message the user reads. Messages are Windows-1251 (the domain's text), name the file they are
// about and end with the reason, "... : нет места на диске".
namespace trubkom::common {

enum class ErrorCode {
  kMissing,       // the file or folder does not exist
  kNotAFile,      // a folder, a device or a FIFO where a regular file belongs
  kTooLarge,      // larger than the cap for its kind
  kNoSpace,       // the disk, a quota or a file size limit is full
  kNoPermission,  // access refused, or a read-only file system
  kReadFailed,    // any other failure to read
  kWriteFailed,   // any other failure to write
  kDamaged,       // the content is not what it claims to be (a broken XML or archive)
  kRefused,       // not the publisher's, or outside where it may go
  kNetwork,       // a server or proxy that cannot be reached, or answers with an error
  kCancelled,     // the user stopped it
  kBusy,          // another run holds what this one needs (an update of the same catalogue)
};

struct Error {
  ErrorCode code = ErrorCode::kWriteFailed;
  std::string message;
};

// The system's reason for errno_value in words ("нет места на диске", "нет прав на запись");
// writing tells a write from a read where the words differ.
std::string SystemReason(int errno_value, bool writing);
// The code for a failure with errno_value.
ErrorCode CodeOfErrno(int errno_value, bool writing);

// The error of a system call that failed with errno_value on path while doing what (UTF-8, such
// as "Не удалось удалить"): "what path: reason". path is UTF-8, as file names are.
Error SystemError(int errno_value, std::string_view what, std::string_view path, bool writing);
// "Не удалось записать path: reason", and "Не удалось прочитать ...".
Error WriteError(int errno_value, std::string_view path);
Error ReadError(int errno_value, std::string_view path);
// An error whose message is what (UTF-8) followed by path: "what path: reason" (UTF-8 reason).
Error ErrorAbout(ErrorCode code, std::string_view what, std::string_view path,
                 std::string_view reason);

}  // namespace trubkom::common
