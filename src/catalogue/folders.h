#pragma once

#include <string>

#include "common/result.h"

namespace trubkom::catalogue {

// The two base folders. Catalogue paths (Base, Templates, Pics, adv, updates) are relative to
// the working folder; config.tkm and the files its advertising names are relative to the
// program's folder. Both are absolute and have no trailing '/'.
struct Folders {
  std::string working;
  std::string program;
};

// Whether folder holds a catalogue: a Base or a Templates folder in it, letter case ignored.
// A folder with neither is a place the program was merely started in (a home folder, /tmp).
bool IsCatalogueFolder(const std::string& folder);

// Whether the program can write what it writes in the catalogue: the update run's files in the
// working folder, the pages in its Templates folder (when there is one: a catalogue without it
// has no pages to write). The error names the first folder that refuses and why.
common::Status CheckCatalogueWritable(const std::string& working_folder);

}  // namespace trubkom::catalogue
