#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/file_at.h"
#include "common/result.h"
#include "common/unique_fd.h"

namespace trubkom::common {

// Writes the bytes to a temporary file in the same folder and renames it over path, so readers
// see either the old file or the whole new one. On failure nothing is left behind and the error
// names path and the system's reason. sync_folder as for PendingFile::Commit.
Status ReplaceFileAtomically(const std::string& path, std::string_view bytes,
                             bool sync_folder = true);
// The same for a file in a folder held open: the temporary file is made in that folder and
// renamed there, whatever its path leads to by then.
Status ReplaceFileAtomically(const FileAt& file, std::string_view bytes, bool sync_folder = true);

// The permission bits of the file at path (not following a link), when it is there: a file
// replaced keeps them, so a file its owner kept private stays private. Only the bits of
// permission (0777): never set-user-ID, set-group-ID or sticky, which a file planted in a shared
// folder would otherwise hand on to the file of whoever replaces it.
std::optional<mode_t> ModeOf(const std::string& path);
std::optional<mode_t> ModeOf(const FileAt& file);

// Writes every byte to fd, going on after interruptions; 0 when all were written, else the errno
// of the failure (ENOSPC for a write that takes nothing and says nothing: a full disk).
int WriteAll(int fd, std::string_view bytes);

// Flushes the folder holding path to disk, so the names renamed into it survive a crash.
void SyncFolderOf(const std::string& path);
// Flushes the folder open as folder_fd to disk.
void SyncFolder(int folder_fd);

// The permissions a file created now with mode 0666 gets: 0666 narrowed by the process's umask,
// read from /proc without changing it (other threads create files meanwhile). No value when it
// cannot be read.
std::optional<mode_t> NewFileMode();

// Puts the regular file at source in place of path as a second name of the same file, when both
// are on one file system and source has no other name yet: the file gets the permissions of a
// new file (NewFileMode), is flushed to disk, linked to a temporary name beside path and renamed
// over it, so path holds its old content or the whole new one. Without sync_folder the new name
// itself may be lost in a crash soon after (the folder is flushed later, with SyncFolderOf).
// False, with path untouched and nothing left beside it, when it cannot be done that way; the
// caller copies instead.
// mode, when given, is the file's mode instead.
bool LinkFileAtomically(const std::string& source, const std::string& path, bool sync_folder,
                        std::optional<mode_t> mode = std::nullopt);
// The same for files in folders held open; neither name is followed if it is a link.
bool LinkFileAtomically(const FileAt& source, const FileAt& target, bool sync_folder,
                        std::optional<mode_t> mode = std::nullopt);

// Whether files can be made in folder, found by making one of the temporary files below and
// removing it again: permission bits do not tell (root writes anyway; a read-only file system
// or a file where the folder should be refuses even the owner). The error says "Нельзя
// записывать в папку <folder>: <reason>".
Status CheckFolderWritable(const std::string& folder);

// Temporary files are named "<file>.trubkom-<process id>-<n>.tmp" beside their target. A process
// killed while writing leaves its temporary file behind; this removes those in folder whose
// process is no longer running, and returns how many it removed.
int RemoveStaleTemporaries(const std::string& folder);
int RemoveStaleTemporaries(int folder_fd);

// A new content for path written in pieces (a download, for one): the pieces go to a temporary
// file beside path, created exclusively, and only Commit puts it in place. Until then path is
// untouched; an object that goes without a successful Commit removes its temporary file.
class PendingFile {
 public:
  explicit PendingFile(const std::string& path);
  // A new content for a file in a folder held open: made, renamed and flushed in that folder.
  explicit PendingFile(const FileAt& file);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // False when the temporary file could not be made; Write and Commit then give the reason.
  bool ok() const { return fd_ >= 0; }
  // The new file gets these permission bits instead of those of any new file.
  Status SetMode(mode_t mode);
  Status Write(std::string_view bytes);
  // Flushes the file to disk and renames it over path; on failure nothing is left.
  // sync_folder flushes the folder too, so the new name survives a crash from the moment Commit
  // returns; without it a crash soon after may bring back the old file (or none), never a part
  // of the new one.
  Status Commit(bool sync_folder = true);
  // Renames the file over path without flushing anything: a crash of the system soon after may
  // leave path missing, old, or holding only a part of the new content (never a kill of the
  // process, whose writes the system still has). Only for files whose damage is found when they
  // are used and then mended: a downloaded package must verify before it is used.
  Status CommitUnflushed();

 private:
  void Create();
  Status Finish(bool sync_file, bool sync_folder);
  // The error of the last failure: path and errno_value, and the temporary file is gone.
  Error Failed(int errno_value);

  std::string path_;  // for messages
  UniqueFd folder_;   // the folder of path, where the temporary file is made and renamed
  std::string name_;  // of path, in folder_
  std::string temp_;  // the temporary file's name in folder_
  int fd_ = -1;
  int open_errno_ = 0;  // why the temporary file could not be made
};

}  // namespace trubkom::common
