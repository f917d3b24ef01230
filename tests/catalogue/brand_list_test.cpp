#include "catalogue/brand_list.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

struct BrandCase {
  const char* name;
  std::vector<std::string> files;
  common::StringList index;
  common::StringList expected;  // display names, in order
};

common::StringList Display(const common::StringList& brands) {
  common::StringList names;
  for (const std::string& brand : brands) names.push_back(BrandDisplayName(brand));
  return names;
}

TEST(BrandList, Table) {
  const BrandCase cases[] = {
      {"files only, no index keeps Sonyericsson",
       {"sonyericsson_new.xml", "nokia_new.xml"},
       {},
       {"Nokia", "Sony-Ericsson"}},
      {"a non-empty index removes Sonyericsson before the merge",
       {"sonyericsson_new.xml", "nokia_new.xml"},
       {"Nokia|3310|"},
       {"Nokia"}},
      {"the index's own spelling comes back at its sorted place",
       {"sonyericsson_new.xml", "nokia_new.xml"},
       {"Sony-Ericsson|K750i|"},
       {"Nokia", "Sony-Ericsson"}},
      {"a file without _new stays as it is", {"test.xml"}, {}, {".\\Base\\test.xml"}},
      {"a normalised index brand is not added twice",
       {"nokia_new.xml"},
       {"NOKIA|1|", "Siemens|2|"},
       {"Nokia", "Siemens"}},
      {"Mts from a file never reaches the box", {"mts_new.xml", "nokia_new.xml"}, {}, {"Nokia"}},
      {"Mts from the index neither", {"nokia_new.xml"}, {"Mts|1|"}, {"Nokia"}},
      {"an index brand MTS is shown as written", {"nokia_new.xml"}, {"MTS|1|"}, {"MTS", "Nokia"}},
      {"display spellings",
       {"lg_new.xml", "asus_new.xml", "enol_new.xml", "benq_new.xml", "benq-siemens_new.xml"},
       {},
       {"ASUS", "BenQ", "BenQ-Siemens", "eNOL", "LG"}},
      {"byte order puts LG before Lg", {"lg_new.xml", "LG_new.xml"}, {}, {"LG", "LG"}},
      {"upper case before lower case", {"zeta_new.xml"}, {"alpha|1|"}, {"Zeta", "alpha"}},
      {"lines without a brand add nothing",
       {},
       {"no bar at all", "|model|", "Fly|MP500|"},
       {"Fly"}},
      {"the first _new counts", {"a_new_new.xml"}, {}, {"A"}},
      {"an empty brand part keeps the entry", {"_new.xml"}, {}, {".\\Base\\_new.xml"}},
  };
  for (const BrandCase& c : cases) {
    EXPECT_EQ(Display(BuildBrandList(c.files, c.index)), c.expected) << c.name;
  }
}

TEST(BrandList, ReadsTheBaseFolderWithoutFolders) {
  testing::TempCatalogue cat;
  cat.WriteBytes("base/nokia_new.xml", "<brand/>");
  cat.WriteBytes("base/lg_new.xml", "<brand/>");
  cat.WriteBytes("base/readme.txt", "");
  cat.WriteBytes("base/folder_new.xml/inside", "");
  EXPECT_EQ(BrandBoxEntries(cat.root(), common::LineTable{"Fly|SX210|"}),
            (common::StringList{"Fly", "LG", "Nokia"}));
}

}  // namespace
}  // namespace trubkom::catalogue
