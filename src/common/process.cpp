#include "common/process.h"

#include <signal.h>

#include <cerrno>

namespace trubkom::common {

bool ProcessIsRunning(pid_t pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

}  // namespace trubkom::common
