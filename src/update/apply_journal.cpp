#include "update/apply_journal.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

#include "common/atomic_file.h"
#include "common/line_file.h"
#include "common/paths.h"

namespace trubkom::update {

namespace {

// A journal is one line "lines-done" or "lines-done hash".
constexpr std::size_t kJournalCap = 256;

}  // namespace

std::uint64_t FileHash(const std::string& path) {
  auto bytes = common::ReadFileBytes(path);
  if (!bytes) return 0;
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : *bytes) hash = (hash ^ c) * 1099511628211ull;
  return hash;
}

ApplyJournal::ApplyJournal(const std::string& catalogue_folder, const std::string& base_name) {
  folder_ = common::ResolvePath(catalogue_folder, "updates");
  path_ = folder_ + "/" + base_name + ".progress";
  auto text = common::ReadFileBytes(path_, kJournalCap);
  if (!text) return;
  const char* end = text->data() + text->size();
  auto [after_done, error] = std::from_chars(text->data(), end, done_);
  if (error != std::errc() || after_done == end || *after_done != ' ') return;
  std::uint64_t hash = 0;
  if (std::from_chars(after_done + 1, end, hash).ec == std::errc()) append_hash_ = hash;
}

bool ApplyJournal::Exists() const { return common::IsFile(path_); }

bool ApplyJournal::AppendDone(std::size_t line, const std::string& target) const {
  return line == done_ && append_hash_ && FileHash(target) != *append_hash_;
}

common::Status ApplyJournal::BeforeAppend(std::size_t line, const std::string& target) {
  done_ = line;
  append_hash_ = FileHash(target);
  return Write();
}

common::Status ApplyJournal::StartLine(std::size_t line) {
  if (line == done_ && !append_hash_ && Exists()) return {};
  done_ = line;
  append_hash_.reset();
  return Write();
}

common::Status ApplyJournal::Finish() {
  if (::unlink(path_.c_str()) != 0 && errno != ENOENT) {
    return common::SystemError(errno, "Не удалось удалить", path_, true);
  }
  return {};
}

common::Status ApplyJournal::Write() {
  // The package's own marker may be the first file in the folder.
  if (::mkdir(folder_.c_str(), 0777) != 0 && errno != EEXIST) {
    return common::SystemError(errno, "Не удалось создать папку", folder_, true);
  }
  std::string text = std::to_string(done_);
  if (append_hash_) text += " " + std::to_string(*append_hash_);
  return common::ReplaceFileAtomically(path_, text + "\r\n");
}

}  // namespace trubkom::update
