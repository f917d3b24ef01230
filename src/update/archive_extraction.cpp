#include "update/archive_extraction.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include "common/atomic_file.h"
#include "common/encoding.h"
#include "common/string_ops.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;

struct ZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipCloser>;

struct Entry {
  zip_uint64_t index = 0;
  std::string name;  // with '/' for '\', folders without their trailing '/'
  bool is_folder = false;
};

enum class Outcome { kWritten, kFailed, kStop };

// The stops, in the user's words.
common::Error NotAnArchive() {
  return {common::ErrorCode::kDamaged, std::string("это не ZIP-архив"_cp1251)};
}
common::Error DamagedArchive(const std::string& name) {
  return {common::ErrorCode::kDamaged,
          common::Cp1251FromUtf8("архив поврежден" + (name.empty() ? "" : " (" + name + ")"))};
}
common::Error ArchiveTooLarge() {
  return {
      common::ErrorCode::kTooLarge,
      std::string("архив распаковывается в больший объем или число файлов, чем допустимо"_cp1251)};
}

// Why the entry must not be extracted, or empty text when it may.
std::string HostileReason(zip_t* archive, const zip_stat_t& stat, Entry& entry) {
  std::string name = stat.name ? stat.name : "";
  std::replace(name.begin(), name.end(), '\\', '/');
  if (name.empty()) return "без имени";
  if (name.front() == '/') return "абсолютный путь";
  entry.is_folder = name.back() == '/';
  while (!name.empty() && name.back() == '/') name.pop_back();
  for (const std::string& part : common::SplitByChar(name, '/')) {
    if (part == "..") return "выходит из папки через ..";
  }
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  zip_file_get_external_attributes(archive, entry.index, 0, &system, &attributes);
  if (system == ZIP_OPSYS_UNIX) {
    mode_t type = (attributes >> 16) & S_IFMT;
    if (type == S_IFDIR) entry.is_folder = true;
    if (type != 0 && type != S_IFREG && type != S_IFDIR) return "ссылка или устройство";
  }
  entry.name = name;
  return {};
}

class Extractor {
 public:
  Extractor(zip_t* archive, const std::string& destination, const ExtractLimits& limits)
      : archive_(archive), destination_(destination), limits_(limits) {}

  common::Result<ExtractReport> Run() {
    zip_int64_t count = zip_get_num_entries(archive_, 0);
    if (count < 0) {
      Stop(DamagedArchive(""));
    } else if (static_cast<std::uint64_t>(count) > limits_.entries) {
      Stop(ArchiveTooLarge());
    } else {
      zip_uint64_t index = 0;
      while (index < static_cast<zip_uint64_t>(count) && ExtractEntry(index)) ++index;
    }
    if (stop_) return std::move(*stop_);
    return std::move(report_);
  }

 private:
  void Stop(common::Error error) { stop_ = std::move(error); }

  // False when the extraction must stop.
  bool ExtractEntry(zip_uint64_t index) {
    zip_stat_t stat;
    if (zip_stat_index(archive_, index, ZIP_FL_ENC_RAW, &stat) != 0) {
      Stop(DamagedArchive(""));
      return false;
    }
    Entry entry{index, {}, false};
    if (std::string reason = HostileReason(archive_, stat, entry); !reason.empty()) {
      Note(report_.skipped, stat.name ? stat.name : "", "пропущен: " + reason);
      return true;
    }
    std::string parent = MakeFolders(entry);
    if (parent.empty()) return !stop_;
    if (entry.is_folder) return true;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > limits_.entry_bytes) {
      Stop(ArchiveTooLarge());
      return false;
    }
    return WriteFile(entry, parent);
  }

  void Note(int& counter, const std::string& name, const std::string& what) {
    ++counter;
    report_.problems.push_back(name + ": " + what);
  }

  // Creates the folders of the entry's path (all of it for a folder, the parents for a file)
  // and gives the folder the file goes in, or empty text when the path runs through a link or a
  // file, in which case the entry is counted as skipped or failed.
  std::string MakeFolders(const Entry& entry) {
    std::vector<std::string> parts = common::SplitByChar(entry.name, '/');
    if (!entry.is_folder) parts.pop_back();
    std::string path = destination_;
    for (const std::string& part : parts) {
      if (part.empty() || part == ".") continue;
      path += "/" + part;
      struct stat info;
      if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
          Note(report_.skipped, entry.name, "пропущен: запись шла бы через ссылку");
          return {};
        }
        if (!S_ISDIR(info.st_mode)) {
          Note(report_.failed, entry.name, "не распакован: на месте папки файл");
          return {};
        }
      } else if (::mkdir(path.c_str(), 0755) != 0) {
        Stop(common::SystemError(errno, "Не удалось создать папку", path, true));
        return {};
      }
    }
    return path;
  }

  bool WriteFile(const Entry& entry, const std::string& parent) {
    std::string target = destination_ + "/" + entry.name;
    struct stat info;
    if (::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
      Note(report_.skipped, entry.name, "пропущен: запись шла бы через ссылку");
      return true;
    }
    zip_file_t* file = zip_fopen_index(archive_, entry.index, 0);
    if (!file) return OpenFailed(entry);
    std::string temp = parent + "/.extracting-XXXXXX";
    int fd = ::mkstemp(temp.data());
    Outcome outcome = fd < 0 ? CannotWrite(errno, target) : Copy(file, fd, target);
    zip_fclose(file);
    // The scripts usually put the file itself in the catalogue and flush it to disk first;
    // starting its writing now lets the disk work while the next entries are unpacked.
    if (outcome == Outcome::kWritten) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    if (fd >= 0 && (::fchmod(fd, 0644) != 0 || ::close(fd) != 0) && outcome == Outcome::kWritten) {
      outcome = CannotWrite(errno, target);
    }
    if (outcome == Outcome::kWritten && ::rename(temp.c_str(), target.c_str()) != 0) {
      outcome = CannotWrite(errno, target);
    }
    if (outcome != Outcome::kWritten && fd >= 0) ::unlink(temp.c_str());
    if (outcome == Outcome::kWritten) ++report_.files;
    if (outcome == Outcome::kFailed) Note(report_.failed, entry.name, "не распакован: поврежден");
    return outcome != Outcome::kStop;
  }

  // A file that cannot be written stops the extraction: the next ones would meet the same full
  // disk or refusal, and the user must hear why rather than of a damaged archive.
  Outcome CannotWrite(int errno_value, const std::string& target) {
    Stop(common::WriteError(errno_value, target));
    return Outcome::kStop;
  }

  // An entry that cannot be opened: damage in its local header stops, an unsupported method or
  // encryption only fails the entry.
  bool OpenFailed(const Entry& entry) {
    int code = zip_error_code_zip(zip_get_error(archive_));
    if (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP || code == ZIP_ER_NOPASSWD) {
      Note(report_.failed, entry.name, "не распакован: неподдерживаемое сжатие или шифрование");
      return true;
    }
    Stop(DamagedArchive(entry.name));
    return false;
  }

  Outcome Copy(zip_file_t* file, int fd, const std::string& target) {
    std::uint64_t entry_bytes = 0;
    for (;;) {
      zip_int64_t got = zip_fread(file, buffer_.get(), kChunkBytes);
      if (got < 0) return Outcome::kFailed;  // a CRC mismatch or broken compressed data
      if (got == 0) return Outcome::kWritten;
      entry_bytes += static_cast<std::uint64_t>(got);
      total_bytes_ += static_cast<std::uint64_t>(got);
      if (entry_bytes > limits_.entry_bytes || total_bytes_ > limits_.archive_bytes) {
        Stop(ArchiveTooLarge());
        return Outcome::kStop;
      }
      if (int error = common::WriteAll(
              fd, std::string_view(buffer_.get(), static_cast<std::size_t>(got)))) {
        return CannotWrite(error, target);
      }
    }
  }

  zip_t* archive_;
  const std::string& destination_;
  const ExtractLimits& limits_;
  ExtractReport report_;
  std::optional<common::Error> stop_;
  std::uint64_t total_bytes_ = 0;
  std::unique_ptr<char[]> buffer_ = std::make_unique<char[]>(kChunkBytes);
};

common::Result<ExtractReport> ExtractFrom(zip_source_t* source, const std::string& destination,
                                          const ExtractLimits& limits) {
  zip_error_t error;
  zip_error_init(&error);
  ZipArchive archive(source ? zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error)
                            : nullptr);
  int code = zip_error_code_zip(&error);
  zip_error_fini(&error);
  if (!archive) {
    if (source) zip_source_free(source);
    bool not_zip = code == ZIP_ER_NOZIP || code == ZIP_ER_OPEN || code == ZIP_ER_READ || !source;
    return not_zip ? NotAnArchive() : DamagedArchive("");
  }
  return Extractor(archive.get(), destination, limits).Run();
}

}  // namespace

common::Result<ExtractReport> ExtractArchiveBytes(std::string_view zip,
                                                  const std::string& destination,
                                                  const ExtractLimits& limits) {
  zip_source_t* source = zip_source_buffer_create(zip.data(), zip.size(), 0, nullptr);
  return ExtractFrom(source, destination, limits);
}

}  // namespace trubkom::update
