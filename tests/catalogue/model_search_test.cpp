#include "catalogue/model_search.h"

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

struct SearchCase {
  const char* typed;               // UTF-8
  std::vector<std::string> found;  // "brand model<TAB>price", UTF-8
};

TEST(ModelSearch, FindsModelsHoldingEveryWord) {
  ModelSearch search;
  search.AddBrand("Nokia", {{"3310", "45"}, {"6230 *", "120"}, {"E65", "300"}});
  search.AddBrand("Sony-Ericsson", {{"K750i", "210"}, {"W800i", ""}});
  search.AddBrand("MTC", {{W("Ёлка Ф100"), "30"}});
  const SearchCase cases[] = {
      {"k750", {"Sony-Ericsson K750i\t210"}},
      {"sony k750", {"Sony-Ericsson K750i\t210"}},
      {"ericsson K750", {"Sony-Ericsson K750i\t210"}},
      {"K750I  SonyEricsson", {"Sony-Ericsson K750i\t210"}},  // the brand files' spelling
      {"nokia k750", {}},
      {"0I", {"Sony-Ericsson K750i\t210", "Sony-Ericsson W800i\t"}},  // in the order added
      {"10 33", {"Nokia 3310\t45"}},
      {"*", {"Nokia 6230 *\t120"}},
      {"mts", {"MTC Ёлка Ф100\t30"}},
      {"ёЛКА ф1", {"MTC Ёлка Ф100\t30"}},
      {"ЁЛКА", {"MTC Ёлка Ф100\t30"}},
      {"елка", {}},  // Ё is a letter of its own
      {" \t ", {}},
      // Found by the brand and by the name, in the order added.
      {"k", {"Nokia 3310\t45", "Nokia 6230 *\t120", "Nokia E65\t300", "Sony-Ericsson K750i\t210"}},
      {"0 m", {"MTC Ёлка Ф100\t30"}},
      // Typed in Cyrillic: on the Russian layout, with look-alike letters, brands as said.
      {"л750", {"Sony-Ericsson K750i\t210"}},
      {"к750", {"Sony-Ericsson K750i\t210"}},
      {"е65", {"Nokia E65\t300"}},
      {"нокиа 3310", {"Nokia 3310\t45"}},
      {"Сони Эриксон к750", {"Sony-Ericsson K750i\t210"}},
      {"моторола", {}},
  };
  for (const SearchCase& c : cases) {
    std::vector<std::string> found;
    for (const FoundModel& model : search.Find(W(c.typed))) {
      found.push_back(common::Utf8FromCp1251(model.Entry() + "\t" + model.price));
    }
    EXPECT_EQ(found, c.found) << c.typed;
  }
}

// A search that lists only the first rows makes rows for those alone, and counts all.
TEST(ModelSearch, MakesRowsForTheFirstOnlyAndCountsAll) {
  ModelSearch search;
  search.AddBrand("Nokia", {{"3310", "45"}, {"6230 *", "120"}, {"E65", "300"}});
  search.AddBrand("Sony-Ericsson", {{"K750i", "210"}});
  for (std::size_t limit : {std::size_t{0}, std::size_t{2}, std::size_t{10}}) {
    SearchResult found = search.Find("k", limit);
    EXPECT_EQ(found.total, 4u);
    ASSERT_EQ(found.first.size(), std::min<std::size_t>(limit, 4));
    for (std::size_t i = 0; i < found.first.size(); ++i) {
      EXPECT_EQ(found.first[i].Entry(), search.Find("k")[i].Entry());
    }
  }
}

// The search keeps names lowered and prices of the offered models alone: every row comes back as
// the list gave it, capitals of both alphabets and every price in place, past many words of
// its marks.
TEST(ModelSearch, GivesBackEveryRowAsListed) {
  const std::vector<std::string> names = {W("Ёлка Ф100 *"), "sgh-E250", "N70", W("ъЪ Ѓѓ Її"), "x"};
  std::vector<ModelRow> rows;
  for (int i = 0; i < 300; ++i) {
    rows.push_back(
        {names[i % names.size()] + std::to_string(i), i % 7 == 0 ? std::to_string(i * 10) : ""});
  }
  ModelSearch search;
  search.AddBrand("Brand", rows);
  const std::vector<FoundModel> found = search.Find("brand");
  ASSERT_EQ(found.size(), rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(found[i].model, rows[i].model) << i;
    EXPECT_EQ(found[i].price, rows[i].price) << i;
  }
}

}  // namespace
}  // namespace trubkom::catalogue
