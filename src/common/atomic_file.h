#pragma once

#include <string>
#include <string_view>

namespace trubkom::common {

// Writes the bytes to a temporary file in the same folder and renames it over path, so readers
// see either the old file or the whole new one. False, with nothing left behind, on failure.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Temporary files are named "<file>.trubkom-<process id>-<n>.tmp" beside their target. A process
// killed while writing leaves its temporary file behind; this removes those in folder whose
// process is no longer running, and returns how many it removed.
int RemoveStaleTemporaries(const std::string& folder);

// A new content for path written in pieces (a download, for one): the pieces go to a temporary
// file beside path, created exclusively, and only Commit puts it in place. Until then path is
// untouched; an object that goes without a successful Commit removes its temporary file.
class PendingFile {
 public:
  explicit PendingFile(const std::string& path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // False when the temporary file could not be made.
  bool ok() const { return fd_ >= 0; }
  bool Write(std::string_view bytes);
  // Flushes the file to disk and renames it over path; false (and nothing left) on failure.
  bool Commit();

 private:
  std::string path_;
  std::string temp_;
  int fd_ = -1;
};

}  // namespace trubkom::common
