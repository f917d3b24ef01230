#pragma once

#include <chrono>
#include <string>

#include "common/result.h"
#include "common/unique_fd.h"

// One update at a time for a catalogue: the window's run, a scheduled `trubkom-catalogue update`,
// a second window and `apply` would otherwise each append a package's lines, and both report
// success. Each holds an exclusive lock (flock) on updates/update.lock for as long as it works;
// the system drops it when the process ends, however it ends.
namespace trubkom::update {

inline constexpr const char* kUpdateLockFile = "update.lock";

class UpdateLock {
 public:
  // Takes the lock of the catalogue in working_folder, waiting up to wait for another run to end;
  // kBusy ("Каталог уже обновляется") when it does not, or why the lock file could not be had.
  static common::Result<UpdateLock> Take(const std::string& working_folder,
                                         std::chrono::milliseconds wait = {});

 private:
  explicit UpdateLock(common::UniqueFd fd) : fd_(std::move(fd)) {}
  common::UniqueFd fd_;
};

}  // namespace trubkom::update
