#include <gtest/gtest.h>

#include <random>
#include <set>

#include "catalogue/price_block.h"
#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/line_file.h"
#include "support/core_helpers.h"
#include "support/fake_ports.h"
#include "support/price_average_reference.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

std::string TextToIntText(std::string_view text) { return std::to_string(common::TextToInt(text)); }

TEST(AveragePrice, Table) {
  const common::StringList lines = {"Shop",
                                    "shop.html",
                                    "Nokia 3310^1000",
                                    "NOKIA 3310^1501",
                                    "Nokia 3310i^9999",
                                    "Siemens C55^300",
                                    "Siemens C55",
                                    "x^Motorola V3^70",
                                    "Motorola V3^abc"};
  struct Case {
    std::string query, expected;
  };
  const Case cases[] = {
      {"Nokia 3310", "1250"},   // integer division drops the fraction
      {"nokia 3310i", "9999"},  // 3310i does not count for 3310 nor 3310 for 3310i
      {"Siemens C55", "150"},   // a line ending with the name counts with price 0
      {"Motorola V3", "0"},     // the price is what follows the line's first "^"
      {"Nokia 1100", ""},      {"Shop", "0"},
  };
  for (const Case& c : cases) EXPECT_EQ(AveragePrice(lines, c.query), c.expected) << c.query;
}

// Sums never overflow and averages stay exact over the whole range TextToInt gives.
TEST(AveragePrice, ExactForHugeAndNegativePrices) {
  struct Case {
    std::vector<std::string> prices;
    std::string expected;
  };
  const std::string max = "999999999999999999";
  const Case cases[] = {
      {std::vector<std::string>(10, max), max},
      {std::vector<std::string>(10, "-" + max), "-" + max},
      {{max, "-" + max, "1"}, "0"},
      {{max, max, "1"}, "666666666666666666"},
      {{"-3", "-4"}, "-3"},  // the fraction is discarded toward zero
      {{"99999999999999999999999"}, TextToIntText("99999999999999999999999")},
  };
  for (const Case& c : cases) {
    common::StringList lines;
    for (const std::string& price : c.prices) lines.push_back("Nokia 1100^" + price);
    EXPECT_EQ(AveragePrice(lines, "Nokia 1100"), c.expected) << c.prices[0];
    BrandPrices prices("Nokia", {"1100"});
    for (const std::string& line : lines) trubkom::testing::AddPriceLine(prices, line);
    EXPECT_EQ(prices.AveragePrice("1100"), c.expected) << c.prices[0];
  }
}

TEST(AveragePrice, PriceListsAreReadAndSortedIgnoringCase) {
  testing::TempCatalogue cat;
  cat.WriteText("adv/prices/b.prc", "Магазин Б\nb.html\nnokia 3310^1000\n");
  cat.WriteText("adv/prices/a.PRC", "Магазин А\r\na.html\r\nNokia 3310^2000\r\n");
  cat.WriteText("adv/prices/notes.txt", "Nokia 3310^1\n");
  common::StringList lines = LoadPriceLines(cat.root());
  EXPECT_EQ(lines.size(), 6u);
  EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    return common::FoldedLess(a, b);
  }));
  EXPECT_EQ(AveragePrice(lines, "Nokia 3310"), "1500");
}

// The prices that the one pass reads, written out: the fast reading of the usual price and the
// reading of any other text give the numbers themselves, line by line and from a whole text.
TEST(BrandPrices, ReadsThePriceAfterTheLinesFirstCaret) {
  struct Case {
    const char* line;
    const char* expected;
  };
  const Case cases[] = {
      {"Nokia 1100^1234567", "1234567"},
      {"Nokia 1100^1234567 руб. в наличии", "1234567"},
      {"Nokia 1100^12345678 руб.", "12345678"},
      {"Nokia 1100^0042 р. и доставка", "42"},
      {"Nokia 1100^-3 (уценка)", "-3"},
      {"Nokia 1100^+15", "15"},
      {"Nokia 1100^1:30 часов", "1"},
      {"Nokia 1100^/5 за штуку", "0"},
      {"x^Nokia 1100^70", "0"},  // the price follows the line's first "^"
      {"Nokia 1100", "0"},       // a line without "^" gives the number of the whole line
      {"Nokia 1100^", "0"},
  };
  for (const Case& c : cases) {
    std::string line = W(c.line);
    BrandPrices by_line("Nokia", {"1100"});
    trubkom::testing::AddPriceLine(by_line, line);
    EXPECT_EQ(by_line.AveragePrice("1100"), c.expected) << c.line;
    BrandPrices by_text("Nokia", {"1100"});
    by_text.AddLoweredText(common::AsciiLowered("Shop\r\nshop.html\r\n" + line + "\r\nx\r\n"));
    EXPECT_EQ(by_text.AveragePrice("1100"), c.expected) << c.line << " in a text";
  }
}

// Many price lists are read in parts side by side, each counting alone: the averages are those
// of all the files together, a line counted once however often it names the model.
TEST(BrandPrices, ManyPriceListsGiveTheAveragesOfAllTogether) {
  testing::TempCatalogue cat;
  for (int shop = 0; shop < 70; ++shop) {
    std::string text = "Shop\r\nshop.html\r\n";
    for (int line = 0; line < 20; ++line) {
      text += "Nokia " + std::to_string(3310 + line % 3) + "^" + std::to_string(100 * shop + line) +
              (line % 5 ? "\r\n" : " nokia 3310^1\r\n");
    }
    cat.WriteText("adv/prices/shop" + std::to_string(shop) + ".prc", text);
  }
  common::StringList lines = LoadPriceLines(cat.root());
  BrandPrices prices("Nokia", {"3310", "3311", "3312", "3313"});
  prices.AddPriceLists(cat.root());
  for (const char* model : {"3310", "3311", "3312", "3313"}) {
    EXPECT_EQ(prices.AveragePrice(model), AveragePrice(lines, std::string("Nokia ") + model))
        << model;
  }
}

// The one-pass prices must equal the literal definition on any data, including names that are
// parts of other names, lines without "^", several "^" and both letter cases.
TEST(BrandPrices, AgreesWithTheLiteralAverageOnRandomData) {
  std::mt19937 random(12345);
  auto pick = [&](std::initializer_list<const char*> options) {
    std::vector<const char*> list(options);
    return std::string(list[random() % list.size()]);
  };
  for (int round = 0; round < 300; ++round) {
    common::StringList models;
    for (int i = 0; i < 6; ++i) {
      models.push_back(pick({"3310", "3310i", "a", "A B", "b", "x^y", "6230", "c 3310", ""}) +
                       pick({"", "i", " *x", "0"}));
    }
    std::string brand = pick({"Nokia", "NOKIA", "no", "Sony-Ericsson"});
    common::StringList lines;
    for (int i = 0; i < 40; ++i) {
      std::string line = pick({"", "x", "Nokia ", "nokia ", "NOKIA ", "no ", "sony-ericsson "}) +
                         pick({"3310", "3310I", "a", "a b", "B", "x", "6230", "c 3310", ""}) +
                         pick({"", "i", "^", "^12", "^-3", "^7^8", "^x^y", " 3310^5",
                               "^999999999999999999", "^-999999999999999999",
                               "^123456789012345678901234", "^1234567", "^12345678", "^0042"}) +
                         pick({"", "^", "nokia 3310^4", "9"});
      // Long lines: shop lists that lost their line ends.
      if (i % 10 == 0) {
        std::string piece = line;
        for (int k = static_cast<int>(random() % 200); k > 0; --k) line += piece;
      }
      lines.push_back(line);
    }
    BrandPrices prices(brand, models);
    for (const std::string& line : lines) trubkom::testing::AddPriceLine(prices, line);
    // The same lines as one file with every kind of line end, read whole.
    std::string text;
    for (const std::string& line : lines) text += line + pick({"\r\n", "\n", "\r", "\n\r"});
    if (round % 2) text += "nokia 3310^7";  // a last line without an end
    BrandPrices whole(brand, models);
    whole.AddLoweredText(common::AsciiLowered(text));
    common::StringList file_lines = common::SplitLinesAtAnyEnd(text);
    for (const std::string& model : models) {
      EXPECT_EQ(prices.AveragePrice(model), AveragePrice(lines, brand + " " + model))
          << "brand " << brand << " model " << model;
      EXPECT_EQ(whole.AveragePrice(model), AveragePrice(file_lines, brand + " " + model))
          << "whole text: brand " << brand << " model " << model;
    }
  }
}

// A shop list that lost its line ends: one line holding the brand thousands of times, each
// followed by a "^". The pass must stay linear in the line's bytes.
TEST(BrandPrices, OneLongLineOfManyOffers) {
  std::string line;
  for (int i = 0; i < 8000; ++i) line += "nokia 1100^";
  BrandPrices prices("Nokia", {"1100", "1100^nokia 1100", "110", ""});
  trubkom::testing::AddPriceLine(prices, line);
  for (const char* model : {"1100", "1100^nokia 1100", "110", ""}) {
    EXPECT_EQ(prices.AveragePrice(model), AveragePrice({line}, std::string("Nokia ") + model))
        << model;
  }
}

class PriceBlockTest : public ::testing::Test {
 protected:
  void WriteShops(int offers) { WriteShops(cat, offers); }
  static void WriteShops(testing::TempCatalogue& cat, int offers) {
    for (int i = 0; i < offers; ++i) {
      std::string n = std::to_string(i);
      cat.WriteText("adv/prices/shop" + n + ".prc",
                    "Shop " + n + "\nshop" + n + ".html\nNokia 3310^" + n + "00\nNokia 3310i^9\n");
    }
  }
  std::string Block(std::deque<std::uint32_t> draws = {}) { return Block(cat, std::move(draws)); }
  static std::string Block(testing::TempCatalogue& cat, std::deque<std::uint32_t> draws) {
    testing::ScriptedRandom random(std::move(draws));
    return BuildPriceBlock(cat.folders(), "Nokia", "3310", random);
  }
  static int Rows(const std::string& block) {
    int rows = 0;
    for (std::size_t at = 0; (at = block.find("./adv/prices/html/", at)) != std::string::npos;
         ++at) {
      ++rows;
    }
    return rows;
  }
  testing::TempCatalogue cat;
};

// Each line that holds "brand model^" in any letter case is one offer, however often it holds
// it and whatever ends it; a key that spans two lines is none.
TEST_F(PriceBlockTest, EveryLineWithTheKeyIsOneOffer) {
  struct Case {
    const char* file;
    int offers;
  };
  const Case cases[] = {
      {"S\np\nNokia 3310^1\n", 1},
      {"S\rp\rNOKIA 3310^1\rnokia 3310^2", 2},
      {"S\r\np\r\nx nokia 3310^5 nokia 3310^6\r\n", 1},
      {"nokia 3310^\np\n", 1},  // the shop's own line
      {"S\np\nnokia 3310\n^1\n", 0},
      {"S\np\nnokia 3310i^1\nnokia  3310^1\n", 0},
  };
  for (const Case& c : cases) {
    testing::TempCatalogue fresh;
    fresh.WriteText("adv/prices/a.prc", c.file);
    std::string block = Block(fresh, {});
    if (c.offers == 0) {
      EXPECT_EQ(block, "") << c.file;
    } else {
      EXPECT_NE(block.find(W("Все цены (") + std::to_string(c.offers) + ")"), std::string::npos)
          << c.file;
    }
  }
}

TEST_F(PriceBlockTest, NoOffersGiveNothingAndKeepThePricePage) {
  cat.WriteText("Templates/price_template.html", "<!pricetable!>\n");
  cat.WriteText("Templates/price_temp.html", "earlier");
  EXPECT_EQ(Block(), "");
  EXPECT_EQ(cat.ReadBytes("Templates/price_temp.html"), "earlier");
}

TEST_F(PriceBlockTest, OneOfferGivesOneRowExactly) {
  WriteShops(1);
  EXPECT_EQ(
      Block(),
      W("<br><br><table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">"
        "<tr><td class=\"normal2\"><a href=\"./adv/prices/html/shop0.html\">Shop 0</a></td>"
        "<td width=\"10\" class=\"normal2\"><img src=\"./px.gif\" height=\"10\"></td>"
        "<td align=\"right\" valign=\"middle\" class=\"normal3\">000 р.</td></tr>"
        "<tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" height=\"4\"></td></tr>"
        "<tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" height=\"3\"></td></tr>"
        "<tr><td colspan=\"3\" class=\"normalgray\"><a href=\"./price_temp.html\" "
        "class=\"normalgray\">Все цены (1) >></a></td></tr></table>"));
}

// Up to three rows, each a different offer, whatever the generator draws; the link counts all.
TEST_F(PriceBlockTest, RowsShowDifferentOffersAndTheLinkCountsAll) {
  const std::deque<std::uint32_t> scripts[] = {
      {}, {0, 0, 0, 0}, {1, 1, 1, 1}, {4, 4, 4, 2}, {0, 3, 3, 3}, {5, 1, 0, 2}, {2, 0, 1, 9}};
  for (int offers = 1; offers <= 6; ++offers) {
    for (const std::deque<std::uint32_t>& draws : scripts) {
      testing::TempCatalogue fresh;
      WriteShops(fresh, offers);
      std::string block = Block(fresh, draws);
      std::set<std::string> shops;
      for (std::size_t at = 0; (at = block.find("html\">", at)) != std::string::npos; ++at) {
        shops.insert(block.substr(at + 6, block.find('<', at) - at - 6));
      }
      EXPECT_EQ(Rows(block), std::min(offers, 3)) << offers;
      EXPECT_EQ(shops.size(), static_cast<std::size_t>(std::min(offers, 3))) << offers;
      EXPECT_NE(block.find(W("Все цены (") + std::to_string(offers) + ") >>"), std::string::npos);
    }
  }
}

// A price page that cannot be written is warned of, and the block does not link to it.
TEST_F(PriceBlockTest, APricePageThatCannotBeWrittenIsNotLinked) {
  WriteShops(2);
  cat.WriteText("Templates/price_template.html", "<!pricetable!>\r\n");
  cat.WriteText("Templates/price_temp.html/in_the_way", "");  // a folder where the page goes
  testing::RecordedWarnings warnings;
  std::string block = Block();
  EXPECT_EQ(Rows(block), 2);
  EXPECT_EQ(block.find("price_temp.html"), std::string::npos);
  ASSERT_EQ(warnings.texts.size(), 1u);
  EXPECT_NE(warnings.texts[0].find("price_temp.html"), std::string::npos) << warnings.texts[0];
}

TEST_F(PriceBlockTest, PricePageNamesTheModel) {
  WriteShops(1);
  cat.WriteText("Templates/price_template.html", "<title><!model!></title>\r\n");
  Block();
  EXPECT_EQ(cat.ReadBytes("Templates/price_temp.html"), "<title>Nokia 3310</title>\r\n");
}

TEST_F(PriceBlockTest, PricePageListsEveryOfferWithAbsoluteLinks) {
  WriteShops(2);
  cat.WriteText("Templates/price_template.html",
                "<a href=\"<!vacantpath!>\">x</a>\r\n<!pricetable!>\r\n");
  Block();
  std::string page = cat.ReadBytes("Templates/price_temp.html");
  EXPECT_NE(page.find("<a href=\"file://" + cat.root() + "/adv/advertisement/\">x</a>\r\n"),
            std::string::npos);
  EXPECT_NE(page.find("<a href=\"file://" + cat.root() +
                      "/adv/prices/html/shop1.html\" "
                      "class=\"pricelstShop\">\r\nShop 1</a>"),
            std::string::npos);
  EXPECT_NE(page.find(W("<td width=\"20%\" class=\"pricelstPrice\">100 р.</td>")),
            std::string::npos);
  EXPECT_NE(page.find("mailto:"), std::string::npos);
  EXPECT_TRUE(page.ends_with("<td width=\"7%\">&nbsp;</td></tr></table>\r\n\r\n"));
}

}  // namespace
}  // namespace trubkom::catalogue
