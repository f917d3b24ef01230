#include "catalogue/listed_prices.h"

#include <gtest/gtest.h>

#include <random>

#include "catalogue/brand_spellings.h"
#include "common/string_ops.h"
#include "support/price_average_reference.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

// Every brand priced in one pass gives each model what the literal definition gives its query
// "brand model": brands that begin others ("A" and "A b"), a "^" or a line end in a brand, a
// "^" or a great length in a model (priced by an automaton then), repeats that differ in case
// or mark, marks inside names, sums past 64 bits, every kind of line end, several files.
TEST(PriceListedBrands, AgreesWithTheLiteralAverageOnRandomData) {
  std::mt19937 random(2026);
  auto pick = [&](const std::vector<std::string>& options) {
    return options[random() % options.size()];
  };
  const std::string long_model(300, 'z');
  const std::vector<std::string> models = {"3310", "3310i", "b 3310", "N70", "n70", "6230 *",
                                           "6230", "a *b",  "x^1",    "",    "b",   long_model};
  const std::vector<std::string> written = {"3310", "3310I", "b 3310", "n70", "6230",    "a b",
                                            "x^1",  "",      "b",      "ab",  long_model};
  for (int round = 0; round < 40; ++round) {
    testing::TempCatalogue cat;
    std::vector<ListedBrand> brands;
    for (const char* name : {"Nokia", "A", "A b", "Sony-Ericsson", "X^Y", "C\rD"}) {
      ListedBrand& brand = brands.emplace_back(name);
      // The automaton's models, now and then, so that both ways of pricing meet in one pass.
      for (int i = 0; i < 6; ++i) {
        const std::string model = pick(models);
        if (round % 3 != 0 && (model == long_model || common::Contains(model, "^"))) continue;
        brand.Add(model);
      }
    }
    for (int file = 0; file < 3; ++file) {
      std::string text = "Shop\r\nshop.html\r\n";
      for (int i = 0; i < 60; ++i) {
        // Now and then prices whose sums pass 64 bits: a few models, offered at 10^18 each.
        if (round % 4 == 1) {
          text += pick({"Nokia 3310", "nokia n70"}) +
                  (round % 8 == 1 ? "^999999999999999999\n" : "^-999999999999999999\n");
          continue;
        }
        text +=
            pick({"", "x^", "Nokia ", "nokia ", "A ", "a b ", "Sonyericsson ", "x^y ", "c\rd "}) +
            pick(written) +
            pick({"^12", "^-3", "", "^7^8", " nokia 3310^5", "^1234567", "^nokia 3310^4",
                  "^a b^nokia 3310"}) +
            pick({"\r\n", "\n", "\r"});
      }
      cat.WriteText("adv/prices/shop" + std::to_string(file) + ".prc", text);
    }
    PriceListedBrands(cat.root(), brands);
    const common::StringList lines = LoadPriceLines(cat.root());
    for (const ListedBrand& brand : brands) {
      for (std::size_t m = 0; m < brand.size(); ++m) {
        const std::string query = LibraryBrand(brand.name) + " " +
                                  common::ReplaceAll(std::string(brand.Model(m)), " *", "");
        EXPECT_EQ(brand.AverageText(m), AveragePrice(lines, query))
            << "round " << round << ", query " << query;
      }
    }
  }
}

}  // namespace
}  // namespace trubkom::catalogue
