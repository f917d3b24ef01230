#include "catalogue/price_history.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "catalogue/price_chart.h"
#include "catalogue/price_range.h"
#include "common/atomic_file.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

// The range of a model's prices comes from the same lines as its average.
TEST(PriceRange, Table) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/x", "");
  cat.WriteBytes("adv/prices/a.prc",
                 "Shop A\r\na.html\r\nNokia 3310^1000\r\nNokia 3310i^50\r\n"
                 "Siemens C55^300\r\nSiemens C55^310\r\n");
  cat.WriteBytes("adv/prices/b.prc",
                 "Shop B\nb.html\nNOKIA 3310^1501\nSony-Ericsson K750^7\n"
                 "Sonyericsson K750^9\n");
  struct Case {
    std::string brand, model, average, text;
  };
  const Case cases[] = {
      {"Nokia", "3310", "1250", W("от 1000 до 1501, в 2 магазинах")},
      {"Nokia", "3310i *", "50", W("50, в 1 магазине")},  // the mark is no part
      {"Siemens", "C55", "305", W("от 300 до 310, в 2 магазинах")},
      {"Sony-Ericsson", "K750", "9", W("9, в 1 магазине")},  // as the list asks
      {"Nokia", "1100", "", ""},
  };
  for (const Case& c : cases) {
    ModelPriceFigures figures = PriceFiguresOf(cat.folders(), c.brand, c.model);
    EXPECT_EQ(figures.average, c.average) << c.model;
    EXPECT_EQ(PriceRangeText(figures.range), c.text) << c.model;
  }
}

std::string Points(const PriceHistory& history, const std::string& model) {
  std::string text;
  for (const PricePoint& p : history.Of("Nokia", model)) {
    text += p.date_code + "=" + std::to_string(p.price) + " ";
  }
  return text;
}

// An update whose packages touch nothing the prices are made from prices no model, and the
// history comes out as when every package priced every model: on a random run of packages that
// change price lists, brand files, the index or other files, step by step.
TEST(PriceHistoryRecorder, RecordsAsWhenEveryPackagePricedEveryModel) {
  testing::TempCatalogue fast, full;
  for (testing::TempCatalogue* cat : {&fast, &full}) {
    cat->WriteText("Base/nokia_new.xml",
                   "<brand><model><Model>1100</Model><Price>40</Price></model></brand>");
    cat->WriteBytes("Base/base.tkm", "Nokia|3310|48(0)|\r\n");
    cat->WriteBytes("adv/prices/a.prc", "A\r\na.html\r\nNokia 1100^1000\r\n");
  }
  // As an update writes: a new file renamed into place. One recorder for the whole run, as the
  // update run has, against a fresh one a package.
  auto write = [](testing::TempCatalogue* cat, const std::string& file, const std::string& bytes) {
    ASSERT_TRUE(common::ReplaceFileAtomically(cat->Path(file), bytes));
  };
  PriceHistoryRecorder fast_recorder(fast.root());
  std::mt19937 random(20261208);
  for (int step = 0; step < 60; ++step) {
    const int kind = static_cast<int>(random() % 5);
    const std::string price = std::to_string(900 + random() % 300);
    const int day = step % 28 + 1;
    const std::string date = (day < 10 ? "0" : "") + std::to_string(day) + "0107";
    for (testing::TempCatalogue* cat : {&fast, &full}) {
      switch (kind) {
        case 0:  // a shop's new offer
          write(cat, "adv/prices/a.prc",
                cat->ReadBytes("adv/prices/a.prc") + "Nokia 3310^" + price + "\r\n");
          break;
        case 1:  // a new shop, replacing the offers of one before
          write(cat, "adv/prices/b.prc", "B\r\nb.html\r\nNokia 1100^" + price + "\r\n");
          break;
        case 2:  // a new model in the index
          write(cat, "Base/base.tkm",
                cat->ReadBytes("Base/base.tkm") + "Nokia|N" + std::to_string(step) + "|48(1)|\r\n");
          break;
        default:  // a picture or a page: nothing the prices come from
          cat->WriteBytes("Pics/nokia/p" + std::to_string(step) + ".png", price);
      }
    }
    std::filesystem::remove(
        full.Path("Base/price_history.inputs"));  // every package prices every model
    ASSERT_TRUE(fast_recorder.Applied(date));
    ASSERT_TRUE(PriceHistoryRecorder(full.root()).Applied(date));
    ASSERT_EQ(fast.ReadBytes("Base/price_history.tkh"), full.ReadBytes("Base/price_history.tkh"))
        << "step " << step;
  }
  // A history removed by hand is brought up to date again, though nothing else changed.
  std::filesystem::remove(fast.Path("Base/price_history.tkh"));
  ASSERT_TRUE(PriceHistoryRecorder(fast.root()).Applied("010207"));
  EXPECT_NE(fast.ReadBytes("Base/price_history.tkh").find("010207\tNokia\t1100"),
            std::string::npos);
}

// Appending, reading back in date order, a damaged file and the bound.
TEST(PriceHistory, Table) {
  const std::string header = "TRUBKOM PRICE HISTORY 1\n";
  struct Case {
    std::string name;
    std::string file;  // Base/price_history.tkh before; "-" for none
    std::vector<PriceRecord> appended;
    std::string points_of_3310;  // read after the append
  };
  const Case cases[] = {
      {"new file",
       "-",
       {{"150107", "Nokia", "3310", 900}, {"010206", "Nokia", "3310 *", 950}},
       "010206=950 150107=900 "},
      {"appended",
       header + "010206\tNokia\t3310\t950\n",
       {{"150107", "NOKIA", "3310", 900}},
       "010206=950 150107=900 "},
      {"one point a date",
       header + "150107\tNokia\t3310\t1\n",
       {{"150107", "Nokia", "3310", 2}},
       "150107=2 "},
      {"torn last record",
       header + "010206\tNokia\t3310\t950\n1501",
       {{"150107", "Nokia", "3310", 900}},
       "010206=950 150107=900 "},
      {"damaged, begun anew",
       header + "010206\tNokia\t3310\tabc\n",
       {{"150107", "Nokia", "3310", 900}},
       "150107=900 "},
      {"not ours", "<html>\n", {{"150107", "Nokia", "3310", 900}}, "150107=900 "},
      {"unwritable record",
       "-",
       {{"1501", "Nokia", "3310", 900}, {"150107", "Nokia", "a\tb", 1}},
       ""},
  };
  for (const Case& c : cases) {
    testing::TempCatalogue cat;
    cat.WriteBytes("Base/x", "");
    if (c.file != "-") cat.WriteBytes("Base/price_history.tkh", c.file);
    ASSERT_TRUE(AppendPriceHistory(cat.root(), c.appended)) << c.name;
    EXPECT_EQ(Points(PriceHistory::Load(cat.root()), "3310"), c.points_of_3310) << c.name;
  }
  // A damaged file is read as none, before anything is appended.
  testing::TempCatalogue cat;
  cat.WriteBytes("Base/price_history.tkh", header + "bad\n");
  EXPECT_EQ(Points(PriceHistory::Load(cat.root()), "3310"), "");
}

// An update records the prices that differ from the history's last ones, so a package told
// twice (after a crash) records nothing more.
TEST(PriceHistory, RecordsWhatDiffersFromItsLastPrices) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Base/price_history.tkh",
                 "TRUBKOM PRICE HISTORY 1\n010206\tNokia\t3310\t950\n150107\tNokia\t3310\t900\n"
                 "150107\tNokia\t1100\t500\n");
  const std::vector<PriceRecord> now = {{"120307", "Nokia", "3310", 950},
                                        {"120307", "NOKIA", "1100 *", 500},
                                        {"120307", "Nokia", "6230", 700}};
  std::string recorded;
  for (const PriceRecord& r : ChangedPrices(PriceHistory::Load(cat.root()), now)) {
    recorded += r.model + " ";
  }
  EXPECT_EQ(recorded, "3310 6230 ");
  ASSERT_TRUE(AppendPriceHistory(cat.root(), ChangedPrices(PriceHistory::Load(cat.root()), now)));
  EXPECT_TRUE(ChangedPrices(PriceHistory::Load(cat.root()), now).empty());
}

// The history is written inside the catalogue's Base folder as every catalogue file is: a Base
// that is a link out of the catalogue gets nothing written through it.
TEST(PriceHistory, IsNeverWrittenThroughALink) {
  testing::TempCatalogue root;
  root.WriteBytes("outside/price_history.tkh", "theirs");
  std::filesystem::create_directory(root.Path("cat"));
  std::filesystem::create_directory_symlink(root.Path("outside"), root.Path("cat/Base"));
  EXPECT_FALSE(AppendPriceHistory(root.Path("cat"), {{"120307", "Nokia", "3310", 950}}));
  EXPECT_EQ(root.ReadBytes("outside/price_history.tkh"), "theirs");
  EXPECT_EQ(testing::Snapshot(root.Path("outside")).size(), 1u);
}

TEST(PriceHistory, StaysWithinItsBound) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Base/x", "");
  std::vector<PriceRecord> batch;
  for (int i = 0; i < 1000; ++i) batch.push_back({"010107", "Nokia", "N" + std::to_string(i), i});
  const auto days = static_cast<long long>(3 * kPriceHistoryCap / 20000);
  for (long long day = 1; day <= days; ++day) {
    for (PriceRecord& r : batch) r.price += 1;
    ASSERT_TRUE(AppendPriceHistory(cat.root(), batch));
  }
  auto size = [&](const char* name) { return cat.ReadBytes(name).size(); };
  EXPECT_LE(size("Base/price_history.tkh"), kPriceHistoryCap);
  EXPECT_LE(size("Base/price_history.old.tkh"), kPriceHistoryCap);
  EXPECT_GT(size("Base/price_history.old.tkh"), kPriceHistoryCap / 2);
  // The newest record is kept.
  std::vector<PricePoint> points = PriceHistory::Load(cat.root()).Of("Nokia", "N999");
  ASSERT_FALSE(points.empty());
  EXPECT_EQ(points.back().price, 999 + days);
}

TEST(PriceChart, NeedsTwoPoints) {
  EXPECT_EQ(PriceChartSvg({{"010107", 100}}), "");
  std::string chart = PriceChartSvg({{"010107", 100}, {"010207", 80}});
  EXPECT_NE(chart.find("<polyline"), std::string::npos);
  EXPECT_NE(chart.find("01.02.07"), std::string::npos);
  EXPECT_NE(chart.find(W("100 р.")), std::string::npos);  // the highest price, in roubles
  EXPECT_NE(chart.find(W("Средняя цена по магазинам, р.")), std::string::npos);
  EXPECT_EQ(PriceTrendArrow({{"010107", 100}, {"010207", 80}}), "&darr;");
}

// The points stand as far apart as their dates, leap days and the turn of a year included;
// dates that do not spread them (out of order, one day) stand evenly.
TEST(PriceChart, PlacesPointsByDate) {
  auto xs = [](const std::vector<PricePoint>& points) {
    std::string chart = PriceChartSvg(points);
    std::size_t at = chart.find("points=\"") + 8;
    return chart.substr(at, chart.find('"', at) - at);
  };
  struct Case {
    std::vector<PricePoint> points;
    std::string line;  // x,y of each point: the plot runs from x 64 to 312
  };
  const Case cases[] = {
      {{{"010107", 100}, {"020107", 100}, {"110107", 100}}, "64,67 88,67 312,67"},
      {{{"280208", 1}, {"010308", 2}, {"020308", 3}},
       "64,112 229,67 312,22"},  // 29 Feb 2008 between
      {{{"301207", 1}, {"010108", 1}, {"030108", 1}}, "64,67 188,67 312,67"},
      {{{"010207", 1}, {"010107", 1}, {"010307", 1}}, "64,67 188,67 312,67"},
  };
  for (const Case& c : cases) EXPECT_EQ(xs(c.points), c.line);
}

}  // namespace
}  // namespace trubkom::catalogue
