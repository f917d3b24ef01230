#pragma once

#include <sys/types.h>

namespace trubkom::common {

// Whether a process with this id is running (one of another user's counts too). Files named
// after the process that wrote them are left alone while it runs and swept once it is gone.
bool ProcessIsRunning(pid_t pid);

}  // namespace trubkom::common
