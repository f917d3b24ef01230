#include "update/update_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <thread>

#include "common/encoding.h"
#include "update/contained_path.h"

namespace trubkom::update {

common::Result<UpdateLock> UpdateLock::Take(const std::string& working_folder,
                                            std::chrono::milliseconds wait) {
  auto updates = OpenFolderInside(working_folder, "updates", MissingFolders::kCreate);
  if (!updates) return updates.error();
  const std::string path = updates->Path(working_folder) + "/" + kUpdateLockFile;
  common::UniqueFd fd(::openat(updates->folder.get(), kUpdateLockFile,
                               O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644));
  if (!fd.ok()) return common::SystemError(errno, "Не удалось открыть", path, true);
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return common::SystemError(errno, "Не удалось запереть", path, true);
    if (std::chrono::steady_clock::now() >= deadline) {
      return common::Error{common::ErrorCode::kBusy,
                           common::Cp1251FromUtf8("Каталог уже обновляется")};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return UpdateLock(std::move(fd));
}

}  // namespace trubkom::update
