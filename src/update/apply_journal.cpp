#include "update/apply_journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "update/contained_path.h"
#include "update/package_order.h"

namespace trubkom::update {

namespace {

// A journal is "lines-done" or "lines-done hash" on its first line and its owner on the second.
constexpr std::size_t kJournalCap = 512;

// Journals lie in updates/journal/ under the catalogue folder.
constexpr const char* kUpdatesFolder = "updates";
constexpr const char* kJournalFolder = "journal";

std::string RelativePathFor(const std::string& package_name) {
  return std::string(kUpdatesFolder) + "/" + kJournalFolder + "/" +
         common::AsciiLowered(PackageBaseName(package_name)) + ".progress";
}

}  // namespace

std::uint64_t FileHashInside(const std::string& root, const std::string& relative) {
  auto found = ResolveInside(root, relative);
  if (!found || !found->Whole()) return 0;
  auto bytes = common::ReadFile(found->At(root));
  if (!bytes) return 0;
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : *bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

std::string ApplyJournal::PathFor(const std::string& catalogue_folder,
                                  const std::string& package_name) {
  return common::ResolvePath(catalogue_folder, RelativePathFor(package_name));
}

bool ApplyJournal::PresentFor(const std::string& catalogue_folder,
                              const std::string& package_name) {
  return IsFileInside(catalogue_folder, RelativePathFor(package_name));
}

ApplyJournal::ApplyJournal(const std::string& catalogue_folder, const std::string& package_name,
                           const std::string& digest)
    : catalogue_(catalogue_folder),
      relative_(RelativePathFor(package_name)),
      path_(PathFor(catalogue_folder, package_name)),
      owner_(common::AsciiLowered(common::FileNameOf(package_name)) + " " + digest) {
  auto found = ResolveInside(catalogue_, relative_);
  if (!found || !found->Whole()) return;
  auto text = common::ReadFile(found->At(catalogue_), kJournalCap);
  if (!text) return;
  common::StringList lines = common::SplitLinesAtAnyEnd(*text);
  if (lines.size() != 2 || lines[1] != owner_) return;  // another package's journal
  const std::string& progress = lines[0];
  const char* end = progress.data() + progress.size();
  auto [after_done, error] = std::from_chars(progress.data(), end, done_);
  if (error != std::errc()) {
    done_ = 0;
    return;
  }
  exists_ = true;
  if (after_done == end || *after_done != ' ') return;
  std::uint64_t hash = 0;
  if (std::from_chars(after_done + 1, end, hash).ec == std::errc()) append_hash_ = hash;
}

bool ApplyJournal::AppendDone(std::size_t line, const std::string& target) const {
  return line == done_ && append_hash_ && FileHashInside(catalogue_, target) != *append_hash_;
}

common::Status ApplyJournal::BeforeAppend(std::size_t line, const std::string& target) {
  done_ = line;
  append_hash_ = FileHashInside(catalogue_, target);
  return Write();
}

common::Status ApplyJournal::StartLine(std::size_t line) {
  if (line == done_ && !append_hash_ && exists_) return {};
  done_ = line;
  append_hash_.reset();
  return Write();
}

common::Status ApplyJournal::Finish() {
  auto found = ResolveInside(catalogue_, relative_);
  if (!found) return found.error();
  if (found->Whole()) {
    common::FileAt journal = found->At(catalogue_);
    if (::unlinkat(journal.folder, journal.name.c_str(), 0) != 0 && errno != ENOENT) {
      return common::SystemError(errno, "Не удалось удалить", journal.path, true);
    }
  }
  exists_ = false;
  // The folder is left while the journal of another package is in it, and so is a link the
  // user put in its place.
  if (auto updates = OpenFolderInside(catalogue_, kUpdatesFolder)) {
    std::string journal_folder = common::FindEntry(updates->folder.get(), kJournalFolder);
    if (!journal_folder.empty()) {
      ::unlinkat(updates->folder.get(), journal_folder.c_str(), AT_REMOVEDIR);
    }
  }
  return {};
}

void ApplyJournal::SweepFolder() const {
  auto folder = OpenFolderInside(catalogue_, std::string(kUpdatesFolder) + "/" + kJournalFolder);
  if (folder) common::RemoveStaleTemporaries(folder->folder.get());
}

common::Status ApplyJournal::Write() {
  // updates/ itself may not be there yet: the package's own marker may be its first file.
  auto found = ResolveInside(catalogue_, relative_, MissingFolders::kCreate);
  if (!found) return found.error();
  std::string text = std::to_string(done_);
  if (append_hash_) text += " " + std::to_string(*append_hash_);
  common::Status written =
      common::ReplaceFileAtomically(found->At(catalogue_), text + "\r\n" + owner_ + "\r\n");
  if (written) exists_ = true;
  return written;
}

}  // namespace trubkom::update
