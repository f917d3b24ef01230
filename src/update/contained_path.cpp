#include "update/contained_path.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <deque>

#include "common/atomic_file.h"
#include "common/error.h"
#include "common/paths.h"
#include "common/string_ops.h"

namespace trubkom::update {

namespace {

// Links followed in one name, as the system's own limit has it.
constexpr int kMaxLinks = 40;
// Components looked at in one name, retries after a swap included: a name that changes faster
// than it can be resolved is given up.
constexpr int kMaxSteps = 4096;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::atomic<bool> openat2_usable{true};
void (*before_folder_open)(const std::string& name) = nullptr;

std::string Slashed(std::string_view text) {
  std::string result(text);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

std::string Joined(const std::vector<std::string>& parts, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i) path += (i ? "/" : "") + parts[i];
  return path;
}

// One resolution of a name beneath the root: the folders open from the root down, and the
// components still to go.
class Walk {
 public:
  Walk(const std::string& root, std::string_view relative, MissingFolders missing, bool enter_last)
      : root_(root),
        shown_(common::JoinPath(root, relative)),
        missing_(missing),
        enter_last_(enter_last) {
    for (const std::string& part : common::SplitByChar(Slashed(relative), '/')) {
      if (part == "..") written_climbs_ = true;
      if (!part.empty() && part != ".") pending_.push_back(part);
    }
    written_absolute_ = !relative.empty() && (relative.front() == '/' || relative.front() == '\\');
  }

  common::Result<Contained> Run();
  // Whether the name was refused for leading out of the root.
  bool led_out() const { return led_out_; }

 private:
  common::Error LeadsOut() {
    led_out_ = true;
    return common::ErrorAbout(common::ErrorCode::kNoPermission, "Не удалось открыть", shown_,
                              "путь ведет за пределы папки " + root_);
  }
  int Current() const { return folders_.back().get(); }
  // The path of part in the current folder, for messages.
  std::string PathOf(const std::string& part) const {
    std::string below = Joined(names_, names_.size());
    return root_ + "/" + (below.empty() ? "" : below + "/") + part;
  }
  bool AtLast() const { return pending_.size() == 1 && !enter_last_; }

  common::Status Step();
  common::Status Missing(const std::string& part);
  common::Status FollowLink(const std::string& link);
  common::Status Enter(const std::string& folder);
  common::UniqueFd OpenNext(const std::string& folder);

  const std::string& root_;
  std::string shown_;  // root and the name as written, for messages
  MissingFolders missing_;
  bool enter_last_;  // the name is a folder to open, not an entry
  bool written_climbs_ = false;
  bool written_absolute_ = false;
  bool led_out_ = false;
  bool done_ = false;  // the components left are the result
  int links_ = 0;
  std::deque<std::string> pending_;
  std::vector<common::UniqueFd> folders_;  // from the root down to the current folder
  std::vector<std::string> names_;         // of the folders below the root, as on disk
};

common::Result<Contained> Walk::Run() {
  if (written_absolute_ || written_climbs_) return LeadsOut();
  common::UniqueFd root(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root.ok()) return common::SystemError(errno, "Не удалось открыть папку", root_, false);
  folders_.push_back(std::move(root));
  for (int steps = 0; !done_ && !pending_.empty(); ++steps) {
    if (steps > kMaxSteps) return common::SystemError(ELOOP, "Не удалось открыть", shown_, false);
    if (common::Status stepped = Step(); !stepped) return stepped.error();
  }
  // Below a missing folder nothing is known: a ".." there could climb anywhere.
  if (std::find(pending_.begin(), pending_.end(), "..") != pending_.end()) return LeadsOut();
  Contained result;
  result.folder = std::move(folders_.back());
  result.folder_path = Joined(names_, names_.size());
  result.rest.assign(pending_.begin(), pending_.end());
  return result;
}

// Looks at the first component to go: climbs for "..", follows a link, enters a folder, or ends
// the walk at the entry. A component swapped meanwhile is looked at again on the next step.
common::Status Walk::Step() {
  std::string& part = pending_.front();
  if (part == "..") {  // only from a link's target
    if (names_.empty()) return LeadsOut();
    folders_.pop_back();
    names_.pop_back();
    pending_.pop_front();
    return {};
  }
  common::FoundEntry found = common::FindEntryWithStatus(Current(), part);
  if (found.name.empty()) return Missing(part);
  const std::string spelled = found.name;
  part = spelled;
  struct stat info;
  if (found.status) {
    info = *found.status;
  } else if (::fstatat(Current(), spelled.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return {};
    return common::SystemError(errno, "Не удалось открыть", PathOf(spelled), false);
  }
  if (S_ISLNK(info.st_mode)) return FollowLink(spelled);
  if (AtLast()) {
    done_ = true;
    return {};
  }
  if (!S_ISDIR(info.st_mode)) {
    return common::SystemError(ENOTDIR, "Не удалось открыть папку", PathOf(spelled), false);
  }
  return Enter(spelled);
}

common::Status Walk::Missing(const std::string& part) {
  if (AtLast() || missing_ == MissingFolders::kLeave) {
    done_ = true;
    return {};
  }
  if (::mkdirat(Current(), part.c_str(), 0777) != 0 && errno != EEXIST) {
    return common::SystemError(errno, "Не удалось создать папку", PathOf(part), true);
  }
  // The new folder's name must outlive a crash as any renamed file's does.
  common::SyncFolder(Current());
  return {};  // looked at again: made now, or by someone else meanwhile
}

common::Status Walk::FollowLink(const std::string& link) {
  if (++links_ > kMaxLinks) return common::SystemError(ELOOP, "Не удалось открыть", shown_, false);
  std::string target(4096, '\0');
  ssize_t size = ::readlinkat(Current(), link.c_str(), target.data(), target.size());
  if (size < 0 && (errno == EINVAL || errno == ENOENT)) return {};  // no link any more
  if (size < 0) return common::SystemError(errno, "Не удалось открыть", PathOf(link), false);
  target.resize(static_cast<std::size_t>(size));
  if (target.empty() || target.front() == '/') return LeadsOut();
  pending_.pop_front();
  std::vector<std::string> parts = common::SplitByChar(target, '/');
  for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
    if (!part->empty() && *part != ".") pending_.push_front(*part);
  }
  return {};
}

common::Status Walk::Enter(const std::string& folder) {
  common::UniqueFd next = OpenNext(folder);
  if (!next.ok()) {
    // Swapped for a link, or gone, since it was looked at: looked at again.
    if (errno == ELOOP || errno == ENOENT || errno == ENOTDIR) return {};
    if (errno == EXDEV) return LeadsOut();
    return common::SystemError(errno, "Не удалось открыть папку", PathOf(folder), false);
  }
  folders_.push_back(std::move(next));
  names_.push_back(folder);
  pending_.pop_front();
  return {};
}

// The folder of the current one named folder, opened without following a link. Where the
// kernel has openat2, it is opened from the root by its whole path with RESOLVE_BENEATH, so the
// kernel itself sees to it that no swapped link or folder moved meanwhile takes the path out;
// elsewhere from the current folder, which was reached the same way.
common::UniqueFd Walk::OpenNext(const std::string& folder) {
  if (before_folder_open) before_folder_open(folder);
  if (openat2_usable.load()) {
    open_how how{};
    how.flags = kFolderFlags;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    std::string below = Joined(names_, names_.size());
    std::string path = (below.empty() ? "" : below + "/") + folder;
    for (int attempt = 0; attempt < 16; ++attempt) {
      long fd = ::syscall(SYS_openat2, folders_.front().get(), path.c_str(), &how, sizeof how);
      if (fd >= 0) return common::UniqueFd(static_cast<int>(fd));
      if (errno != EAGAIN) break;  // EAGAIN: a rename elsewhere raced the lookup
    }
    // A kernel without openat2, or a sandbox that forbids it: the walk goes on without.
    if (errno != ENOSYS && errno != EPERM) return common::UniqueFd();
    openat2_usable.store(false);
  }
  return common::UniqueFd(::openat(Current(), folder.c_str(), kFolderFlags));
}

}  // namespace

std::string Contained::Path(const std::string& root) const {
  std::string path = root;
  if (!folder_path.empty()) path += "/" + folder_path;
  for (const std::string& part : rest) path += "/" + part;
  return path;
}

common::FileAt Contained::At(const std::string& root) const {
  return {folder.get(), rest.empty() ? std::string() : rest.back(), Path(root)};
}

common::Result<Contained> ResolveInside(const std::string& root, std::string_view relative,
                                        MissingFolders missing) {
  return Walk(root, relative, missing, false).Run();
}

common::Result<Contained> OpenFolderInside(const std::string& root, std::string_view relative,
                                           MissingFolders missing) {
  auto found = Walk(root, relative, missing, true).Run();
  if (found && !found->rest.empty()) {
    return common::SystemError(ENOENT, "Не удалось открыть папку", found->Path(root), false);
  }
  return found;
}

std::optional<std::string> PathInside(const std::string& root, std::string_view relative) {
  Walk walk(root, relative, MissingFolders::kLeave, false);
  auto found = walk.Run();
  if (found) return found->Path(root);
  if (walk.led_out()) return std::nullopt;
  return common::JoinPath(root, relative);
}

bool IsFileInside(const std::string& root, std::string_view relative) {
  auto found = ResolveInside(root, relative);
  struct stat info;
  return found && found->Whole() &&
         ::fstatat(found->folder.get(), found->rest.back().c_str(), &info, AT_SYMLINK_NOFOLLOW) ==
             0 &&
         S_ISREG(info.st_mode);
}

void UseOpenat2(bool use) { openat2_usable.store(use); }

void SetBeforeFolderOpenForTesting(void (*hook)(const std::string& name)) {
  before_folder_open = hook;
}

}  // namespace trubkom::update
