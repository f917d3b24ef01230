#pragma once

#include <string>

namespace trubkom::common {

// A file named inside a folder that is held open: the system's "...at" calls work on the pair,
// so the folder is never looked up again by its path between a check and a write, and a link
// swapped into that path meanwhile changes nothing.
struct FileAt {
  int folder = -1;   // a descriptor of the folder, owned by the caller
  std::string name;  // one component, without '/'
  std::string path;  // the file's full path, for messages only
};

}  // namespace trubkom::common
