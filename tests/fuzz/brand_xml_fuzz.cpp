// A brand file read through the catalogue-data library: every model it lists must give a
// record of 17 fields.
#include <algorithm>

#include "catalogue/catalogue_data.h"
#include "fuzz_support.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string folder = fuzz::FreshFolder("brand");
  fuzz::WriteFile(folder + "/Base/nokia_new.xml", fuzz::AsText(data, size));
  catalogue::CatalogueData library(folder);
  for (const std::string& model : common::SplitCarets(library.Col2Str2("Nokia"))) {
    std::string record = library.GetProps2("Nokia", model);
    fuzz::Require(std::count(record.begin(), record.end(), '^') >= 17, "a record of 17 fields");
  }
  library.GetProps2("Nokia", "");
  return 0;
}
