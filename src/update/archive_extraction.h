#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

// Why an extraction stopped early; what was extracted before stays.
enum ExtractError : int {
  kExtractOk = 0,
  kNotAnArchive = -1,     // not a ZIP archive at all, or unreadable
  kDamagedArchive = -2,   // the central directory or a local header is damaged
  kArchiveTooLarge = -3,  // more bytes or entries than the limits allow: a decompression bomb
};

struct ExtractReport {
  int files = 0;                      // files written
  int skipped = 0;                    // hostile entries left out
  int failed = 0;                     // entries that failed their CRC or could not be written
  ExtractError error = kExtractOk;    // the extraction stopped here when not kExtractOk
  std::vector<std::string> problems;  // one line for each skipped or failed entry, and the stop

  // The number of files, or the negative code when the extraction stopped.
  int Result() const { return error != kExtractOk ? error : files; }
  // Every entry extracted, nothing skipped, nothing failed.
  bool Complete() const { return error == kExtractOk && skipped == 0 && failed == 0; }
};

// Extracts every entry in the order of the central directory into destination (an existing
// folder, without a trailing '/'). Files are written under a temporary name and renamed into
// place only when complete and intact, so no entry leaves a half-written file behind.
ExtractReport ExtractArchive(const std::string& archive, const std::string& destination,
                             const ExtractLimits& limits = {});
// The same for an archive held in memory.
ExtractReport ExtractArchiveBytes(std::string_view zip, const std::string& destination,
                                  const ExtractLimits& limits = {});

std::string DescribeExtractError(ExtractError error);

}  // namespace trubkom::update
