// An archive unpacked into a scratch folder: nothing lands outside it, and what lands inside
// is only plain files and folders.
#include <filesystem>

#include "fuzz_support.h"
#include "update/archive_extraction.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = std::filesystem;
  std::string root = fuzz::FreshFolder("zip");
  std::string destination = root + "/work/into";
  fs::create_directories(destination);
  fuzz::WriteFile(root + "/work/kept.txt", "kept");
  fs::create_symlink("../kept.txt", destination + "/link");
  std::string before = fuzz::Snapshot(root + "/work");

  update::ExtractLimits limits{std::uint64_t{1} << 20, std::uint64_t{4} << 20, 256};
  auto report = update::ExtractArchiveBytes(fuzz::AsText(data, size), destination, limits);
  fuzz::Require(!report || (report->files >= 0 && report->skipped >= 0 && report->failed >= 0),
                "counts");

  std::string after = fuzz::Snapshot(root + "/work");
  // Only entries under into/ may be new or changed; the link planted there may be replaced by a
  // file of the archive (a rename replaces the link itself), never followed.
  for (std::string_view rest = after; !rest.empty();) {
    auto [line, tail] = fuzz::SplitFirstLine(rest);
    rest = tail;
    bool inside = line.starts_with("into/") || line.starts_with("into ");
    fuzz::Require(inside || before.find(line) != std::string::npos, "written outside");
    if (line.starts_with("into/link ")) continue;
    fuzz::Require(line.find(" -> ") == std::string_view::npos, "a link was extracted");
  }
  return 0;
}
