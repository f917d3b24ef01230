#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

// Unpacking a package's ZIP archive into its working folder. Archives come from outside, so
// entries that would land outside the folder (absolute names, ".." components with '\' read
// as '/', symbolic links, devices, a path through a link already there) are skipped, every file
// gets mode 0644, and the bytes really decompressed, not the sizes the archive declares, are
// capped per entry and per archive.
namespace trubkom::update {

struct ExtractLimits {
  std::uint64_t entry_bytes = std::uint64_t{256} << 20;
  std::uint64_t archive_bytes = std::uint64_t{1} << 30;
  std::uint64_t entries = 65536;
};

// What an extraction did. Entries left out do not stop it; each is counted and told.
struct ExtractReport {
  int files = 0;                      // files written
  int skipped = 0;                    // hostile entries left out
  int failed = 0;                     // entries that failed their CRC or are not supported
  std::vector<std::string> problems;  // one line (UTF-8) for each skipped or failed entry

  // Every entry extracted, nothing skipped, nothing failed.
  bool Complete() const { return skipped == 0 && failed == 0; }
};

// Extracts every entry of the archive held in memory, in the order of the central directory, into
// destination (an existing
// folder, without a trailing '/'). Files are written under a temporary name and renamed into
// place only when complete and intact, so no entry leaves a half-written file behind. The
// extraction stops, with what was extracted before left in place, on an error: kDamaged for
// what is no ZIP archive or a damaged one, kTooLarge for more bytes or entries than the limits
// allow (a decompression bomb), and the system's reason when a file cannot be written.
common::Result<ExtractReport> ExtractArchiveBytes(std::string_view zip,
                                                  const std::string& destination,
                                                  const ExtractLimits& limits = {});

}  // namespace trubkom::update
