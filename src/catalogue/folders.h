#pragma once

#include <string>

namespace trubkom::catalogue {

// The two base folders. Catalogue paths (Base, Templates, Pics, adv, updates) are relative to
// the working folder; config.tkm and the files its advertising names are relative to the
// program's folder. Both are absolute and have no trailing '/'.
struct Folders {
  std::string working;
  std::string program;
};

}  // namespace trubkom::catalogue
