#pragma once

#include <string>
#include <vector>

#include "common/result.h"

namespace trubkom::update {

struct ZippedFolder {
  std::string zip;                   // the archive's bytes
  int files = 0;                     // files stored
  std::vector<std::string> skipped;  // relative names of links and other non-files left out
};

// A ZIP archive of every file and folder under folder, names relative to it with '/', in byte
// order, deflated. Symbolic links are never followed nor stored. Fails when the folder cannot be
// read, holds nothing, or the archive cannot be written.
common::Result<ZippedFolder> ZipFolder(const std::string& folder);

// True when bytes open as a ZIP archive whose directory is consistent.
bool IsZipArchive(const std::string& bytes);

}  // namespace trubkom::update
