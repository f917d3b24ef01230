#include "catalogue/model_list.h"

#include <gtest/gtest.h>

#include "catalogue/listed_brands.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

std::string BrandFile(std::initializer_list<const char*> models) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"windows-1251\"?><brand>";
  for (const char* model : models)
    xml += std::string("<model><Model>") + model + "</Model></model>";
  return xml + "</brand>";
}

struct ListCase {
  const char* name;
  std::string brand;
  common::StringList index;
  bool full_only;
  std::vector<std::pair<std::string, std::string>> rows;
};

TEST(FillModelList, Table) {
  testing::TempCatalogue cat;
  cat.WriteText("Base/alcatel_new.xml", BrandFile({"ot 535", "ot 156"}));
  cat.WriteText("Base/samsung_new.xml", BrandFile({"sgh E250", "sgh x100", "SGH D500"}));
  cat.WriteText("Base/sonyericsson_new.xml", BrandFile({"K750i", "w800i"}));
  cat.WriteText("Base/nokia_new.xml", BrandFile({"6230", "3310", "N70"}));
  cat.WriteText("Base/siemens_new.xml", BrandFile({"c55", "C55"}));
  cat.WriteText("Base/mts_new.xml", BrandFile({"M1", "M2"}));
  cat.WriteText("adv/prices/a.prc",
                "A\na.html\nNokia 3310^1000\nnokia 3310^1501\nSonyericsson K750i^5000\n"
                "Alcatel OneTouch 535^800\nSamsung SGH-D500^10\nSiemens C55^300\n"
                "Mts M1^100\nMTC M1^999\n");
  const ListCase cases[] = {
      {"byte order, prices averaged",
       "Nokia",
       {},
       false,
       {{"3310", "1250"}, {"6230", ""}, {"N70", ""}}},
      {"the index replaces and adds marked models",
       "Nokia",
       {"Nokia|6230|", "NOKIA|E61|", "Nokia2|X|"},
       false,
       {{"3310", "1250"}, {"6230 *", ""}, {"E61 *", ""}, {"N70", ""}, {"X *", ""}}},
      {"only marked models", "Nokia", {"Nokia|6230|"}, true, {{"6230 *", ""}}},
      {"Alcatel's OneTouch replaces ot",
       "Alcatel",
       {"Alcatel|OneTouch 535|"},
       false,
       {{"OneTouch 535 *", "800"}, {"ot 156", ""}}},
      {"Samsung's SGH- replaces sgh, matching lower case too",
       "Samsung",
       {"Samsung|SGH-E250|", "Samsung|SGH-X100|", "Samsung|SGH-D500|"},
       false,
       {{"SGH D500", ""}, {"SGH-D500 *", "10"}, {"SGH-E250 *", ""}, {"SGH-X100 *", ""}}},
      {"Sony-Ericsson asks the library for Sonyericsson",
       "Sony-Ericsson",
       {"Sony-Ericsson|W800i|"},
       false,
       {{"K750i", "5000"}, {"W800i *", ""}}},
      {"the lowered name gives way first, then the name as written",
       "Siemens",
       {"Siemens|C55|", "Siemens|C55|", "Siemens|S65|", "Siemens|S65|"},
       false,
       {{"C55 *", "300"}, {"C55 *", "300"}, {"S65 *", ""}, {"S65 *", ""}}},
      {"one index line takes the lowered name's place, and the name as written stays",
       "Siemens",
       {"Siemens|C55|"},
       false,
       {{"C55", "300"}, {"C55 *", "300"}}},
      {"MTC asks the library and the price lists for Mts",
       "MTC",
       {"MTC|M2|"},
       false,
       {{"M1", "100"}, {"M2 *", ""}}},
      {"unknown brand without index lines", "Fly", {}, false, {}},
      {"unknown brand with index lines", "Fly", {"Fly|SX210|"}, false, {{"SX210 *", ""}}},
  };
  for (const ListCase& c : cases) {
    CatalogueData data(cat.root());
    std::vector<std::pair<std::string, std::string>> rows;
    for (const ModelRow& row : FillModelList(cat.folders(), data, c.index, c.brand, c.full_only)) {
      rows.emplace_back(row.model, row.price);
    }
    EXPECT_EQ(rows, c.rows) << c.name;
    // Listed and priced with every other brand, as the search lists it, the list is the same.
    if (c.full_only) continue;
    const common::LineTable index(c.index);
    std::vector<std::pair<std::string, std::string>> together;
    const std::vector<ListedBrand> listed = ReadListedBrands(
        cat.folders(), data, DescribedModelsByBrand(index), {"Samsung", c.brand, "Alcatel"});
    for (std::size_t m = 0; m < listed[1].size(); ++m) {
      together.emplace_back(listed[1].Model(m), listed[1].AverageText(m));
    }
    EXPECT_EQ(together, c.rows) << c.name << ", priced with other brands";
  }
}

// Grouped by brand field once, the index gives each brand the models its lines give when read
// one by one: a brand that begins other brands' names, letter case, lines without a '|'.
TEST(DescribedModelsByBrand, AgreesWithReadingEveryLine) {
  const common::LineTable index = {
      "Nokia|6230|48(0)", "NOKIA|3310", "nokiax|1", "Nok|2",      "LG|C1", "Nokia",
      "|orphan",          "",           "lg|c1|",   "Nokia|6230|"};
  const DescribedModelsByBrand grouped(index);
  for (const char* brand : {"Nokia", "nokia", "Nok", "LG", "", "Nokia|6230", "Fly", "N", "|"}) {
    EXPECT_EQ(grouped.Of(brand), DescribedModels(index, brand)) << brand;
  }
  // An index large enough to be grouped in parts side by side keeps every brand's line order.
  common::StringList large;
  for (int i = 0; i < 300'000; ++i) {
    large.push_back(std::string(i % 3 ? "Brand1" : "brand10") + "|M" + std::to_string(i) + "|");
  }
  const common::LineTable large_index(large);
  const DescribedModelsByBrand large_grouped(large_index);
  for (const char* brand : {"Brand1", "brand10"}) {
    EXPECT_EQ(large_grouped.Of(brand), DescribedModels(large_index, brand)) << brand;
  }
}

// An entry of the basket, the wizard's results or the new models finds its row of the models
// list, and so its price, whatever list it came from.
TEST(FindListedModel, Table) {
  testing::TempCatalogue cat;
  cat.WriteText("Base/nokia_new.xml", BrandFile({"6230", "3310", "1100"}));
  cat.WriteText("adv/prices/a.prc", "A\na.html\nNokia 3310^1000\nNokia 6230^300\n");
  const common::StringList index = {"Nokia|6230|"};
  struct Case {
    const char* brand;
    const char* model;
    std::optional<std::pair<std::string, std::string>> row;
  };
  const Case cases[] = {
      {"Nokia", "3310", std::pair{"3310", "1000"}},
      {"NOKIA", "3310", std::pair{"3310", "1000"}},
      {"Nokia", "6230 *", std::pair{"6230 *", "300"}},
      {"Nokia", "6230", std::pair{"6230 *", "300"}},  // unmarked, as a list of new models says
      {"Nokia", "3310 *", std::pair{"3310", "1000"}},
      {"Nokia", "1100", std::pair{"1100", ""}},
      {"Nokia", "N95", std::nullopt},
      {"Siemens", "3310", std::nullopt},
  };
  for (const Case& c : cases) {
    CatalogueData data(cat.root());
    std::optional<ModelRow> found = FindListedModel(cat.folders(), data, index, c.brand, c.model);
    std::optional<std::pair<std::string, std::string>> row;
    if (found) row = std::pair{found->model, found->price};
    EXPECT_EQ(row, c.row) << c.brand << " " << c.model;
  }
}

}  // namespace
}  // namespace trubkom::catalogue
