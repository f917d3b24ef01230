#include "catalogue/brand_spellings.h"

#include "common/ascii.h"
#include "common/string_ops.h"

namespace trubkom::catalogue {

using common::ReplaceAll;

namespace {

struct Spelling {
  std::string_view in_files, in_box;
};

// Brands that the box shows otherwise than the brand list holds them, applied in this order:
// "Benq" turns "Benq-siemens" into "BenQ-siemens" before the entry that makes "BenQ-Siemens".
constexpr Spelling kDisplaySpellings[] = {
    {kSonyEricssonInFiles, kSonyEricssonInBox}, {"Asus", "ASUS"}, {"Benq", "BenQ"},
    {"BenQ-siemens", "BenQ-Siemens"},           {"Enol", "eNOL"}, {"Lg", "LG"},
};

// The two brands whose brand files are named otherwise than the box shows them.
constexpr Spelling kLibrarySpellings[] = {
    {kSonyEricssonInFiles, kSonyEricssonInBox},
    {kMtsInFiles, kMtsInBox},
};

}  // namespace

std::string BrandDisplayName(std::string_view brand) {
  std::string name(brand);
  for (const Spelling& spelling : kDisplaySpellings) {
    name = ReplaceAll(name, spelling.in_files, spelling.in_box);
  }
  return name;
}

std::string LibraryBrand(std::string_view brand) {
  std::string name(brand);
  for (const Spelling& spelling : kLibrarySpellings) {
    name = ReplaceAll(name, spelling.in_box, spelling.in_files);
  }
  return name;
}

std::string ShortPageBrand(std::string_view brand) {
  return ReplaceAll(brand, kSonyEricssonInBox, kSonyEricssonInFiles);
}

std::string LibraryBrandKey(std::string_view brand) {
  std::string key = common::AsciiLowered(brand);
  for (const Spelling& spelling : kLibrarySpellings) {
    if (common::EqualsIgnoringAsciiCase(key, spelling.in_box)) {
      return common::AsciiLowered(spelling.in_files);
    }
  }
  return key;
}

}  // namespace trubkom::catalogue
