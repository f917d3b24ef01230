#pragma once

#include <string>

#include "common/result.h"

namespace trubkom::common {

// Copies the folder from, with everything in it, to the folder to, making its parents as
// needed: folders, regular files and symbolic links (as links); FIFOs and devices are left out.
// Whatever the originals allowed, the copies can be written by their owner: a copy is made to
// be worked in. It is made under a name of its own beside to and renamed into place when
// whole, so to is never half a copy. to must not exist or be an empty folder; an error names
// the file that failed and why.
Status CopyFolder(const std::string& from, const std::string& to);

}  // namespace trubkom::common
