// The server index and the .new files. The index's names must all be plain file names; each
// becomes a .new file in updates/ holding the input, and the Новинки list is read from them.
#include <filesystem>

#include "common/line_file.h"
#include "fuzz_support.h"
#include "selection/new_models.h"
#include "update/package_order.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  common::StringList names = update::PackageNamesOfIndex(common::SplitLinesAtAnyEnd(text));
  std::string root = fuzz::FreshFolder("new");
  std::string updates = root + "/updates";
  for (const std::string& name : names) {
    fuzz::Require(
        name.size() > 3 && name.find_first_of(std::string_view("/\\\0", 3)) == std::string::npos,
        "an index name that is a path");
    fuzz::Require(name.find("..") == std::string::npos && name[0] != '.',
                  "an index name that climbs or hides");
    if (name.size() < 200) fuzz::WriteFile(updates + "/" + name + ".new", text);
  }
  fuzz::WriteFile(updates + "/upd070115.new", text);
  for (const std::string& path : selection::FindNewModelFiles(root)) {
    fuzz::Require(path.starts_with(updates + "/"), "a list outside updates/");
    selection::NewModelFileDate(path);
    auto rows = selection::NewModelRows(path);
    fuzz::Require(rows && !rows->empty() && rows->front().size() >= 2, "a list that is shown");
  }
  return 0;
}
