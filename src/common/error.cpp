#include "common/error.h"

#include <cerrno>
#include <cstring>

#include "common/encoding.h"

namespace trubkom::common {

ErrorCode CodeOfErrno(int errno_value, bool writing) {
  switch (errno_value) {
    case ENOENT:
      return ErrorCode::kMissing;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return ErrorCode::kNoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
      return ErrorCode::kNoPermission;
    case EISDIR:
    case ENOTDIR:
      return ErrorCode::kNotAFile;
    default:
      return writing ? ErrorCode::kWriteFailed : ErrorCode::kReadFailed;
  }
}

std::string SystemReason(int errno_value, bool writing) {
  const char* reason = nullptr;
  switch (errno_value) {
    case ENOSPC:
      reason = "нет места на диске";
      break;
    case EDQUOT:
      reason = "превышена квота на диске";
      break;
    case EFBIG:
      reason = "файл больше допустимого размера";
      break;
    case EACCES:
    case EPERM:
      reason = writing ? "нет прав на запись" : "нет прав на чтение";
      break;
    case EROFS:
      reason = "диск только для чтения";
      break;
    case ENOENT:
      reason = "нет такого файла или папки";
      break;
    case EISDIR:
      reason = "это папка, а не файл";
      break;
    case ENOTDIR:
      reason = "в пути есть файл вместо папки";
      break;
    case EIO:
      reason = "ошибка ввода-вывода";
      break;
    default:
      // The system's own words, in English, rather than no reason at all.
      return strerrordesc_np(errno_value);
  }
  return Cp1251FromUtf8(reason);
}

Error ErrorAbout(ErrorCode code, std::string_view what, std::string_view path,
                 std::string_view reason) {
  std::string utf8 = std::string(what) + " " + std::string(path) + ": " + std::string(reason);
  return {code, Cp1251FromUtf8(utf8)};
}

Error SystemError(int errno_value, std::string_view what, std::string_view path, bool writing) {
  return {CodeOfErrno(errno_value, writing),
          Cp1251FromUtf8(std::string(what) + " " + std::string(path) + ": ") +
              SystemReason(errno_value, writing)};
}

Error WriteError(int errno_value, std::string_view path) {
  return SystemError(errno_value, "Не удалось записать", path, true);
}

Error ReadError(int errno_value, std::string_view path) {
  return SystemError(errno_value, "Не удалось прочитать", path, false);
}

}  // namespace trubkom::common
