#include "update/archive_writer.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>

#include "common/line_file.h"
#include "common/private_folder.h"
#include "update/package.h"

namespace trubkom::update {

namespace fs = std::filesystem;

namespace {

struct FolderEntry {
  std::string name;  // relative, with '/'
  std::string path;
  bool is_folder = false;
};

common::Error PackError(std::string_view path, std::string_view reason) {
  return common::ErrorAbout(common::ErrorCode::kWriteFailed, "Не удалось упаковать", path, reason);
}

// The entries under folder in byte order of their names; links and other non-files go to skipped.
common::Result<std::vector<FolderEntry>> Walk(const std::string& folder,
                                              std::vector<std::string>& skipped) {
  std::error_code error;
  std::vector<FolderEntry> entries;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::file_status status = it->symlink_status(error);
    std::string name = it->path().lexically_relative(folder).generic_string();
    if (fs::is_directory(status)) {
      entries.push_back({name, it->path().string(), true});
    } else if (fs::is_regular_file(status)) {
      entries.push_back({name, it->path().string(), false});
    } else {
      skipped.push_back(name);
    }
  }
  if (error) return common::SystemError(error.value(), "Не удалось прочитать", folder, false);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}

bool AddEntry(zip_t* archive, const FolderEntry& entry) {
  if (entry.is_folder) return zip_dir_add(archive, entry.name.c_str(), 0) >= 0;
  zip_source_t* source = zip_source_file_create(entry.path.c_str(), 0, -1, nullptr);
  if (!source) return false;
  if (zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE) < 0) {
    zip_source_free(source);
    return false;
  }
  return true;
}

}  // namespace

common::Result<ZippedFolder> ZipFolder(const std::string& folder) {
  ZippedFolder result;
  common::Result<std::vector<FolderEntry>> entries = Walk(folder, result.skipped);
  if (!entries) return entries.error();
  if (entries->empty()) return PackError(folder, "в папке нечего упаковывать");
  common::PrivateFolder work("trubkom-pack-");
  std::string zip_path = work.path() + "/package.zip";
  int code = 0;
  zip_t* archive = work.ok() ? zip_open(zip_path.c_str(), ZIP_CREATE | ZIP_EXCL, &code) : nullptr;
  if (!archive) return PackError(zip_path, "не удалось создать временный архив");
  for (const FolderEntry& entry : *entries) {
    if (!AddEntry(archive, entry)) {
      common::Error error = PackError(entry.path, zip_strerror(archive));
      zip_discard(archive);
      return error;
    }
    if (!entry.is_folder) ++result.files;
  }
  if (zip_close(archive) != 0) {
    common::Error error = PackError(zip_path, zip_strerror(archive));
    zip_discard(archive);
    return error;
  }
  common::Result<std::string> bytes = common::ReadFile(zip_path, kMaxPackageBytes);
  if (!bytes) return bytes.error();
  result.zip = std::move(*bytes);
  return result;
}

bool IsZipArchive(const std::string& bytes) {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
  zip_t* archive =
      source ? zip_open_from_source(source, ZIP_CHECKCONS | ZIP_RDONLY, &error) : nullptr;
  if (archive) {
    zip_discard(archive);
  } else if (source) {
    zip_source_free(source);
  }
  zip_error_fini(&error);
  return archive != nullptr;
}

}  // namespace trubkom::update
