#include "catalogue/compare_rows.h"

#include <gtest/gtest.h>

#include <clocale>

#include "catalogue/compare_measure.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

// Which values of a row win: "+" under a winner, "." elsewhere; the same whatever the process's
// locale (the window's sets a decimal comma under a Russian one).
TEST(CompareWinners, Table) {
  struct Case {
    Measure measure;
    common::StringList values;
    std::string marks;
  };
  const Case cases[] = {
      {Measure::kPrice, {"45", "30", "60"}, ".+."},                    // lower price wins
      {Measure::kPrice, {"30", "30", "60"}, "..."},                    // a tie for best: none
      {Measure::kPrice, {"", "30"}, ".."},                             // one value: nothing to beat
      {Measure::kPrice, {"", "30", "abc", "40"}, ".+.."},              // missing ones stand aside
      {Measure::kWeight, {W("1 кг"), W("900 г"), W("95 гр")}, "..+"},  // units
      {Measure::kWeight, {W("90 фунтов"), W("95 г"), W("100 г")}, ".+."},  // unknown unit: aside
      {Measure::kSizes, {W("100x50x20 мм"), W("9х4х2 см")}, ".+"},  // 72 000 mm³, Cyrillic "х"
      {Measure::kSizes, {W("100x50 мм"), W("90x50x20 мм"), W("95x50x20")}, ".+."},
      {Measure::kSar, {W("1.12 Вт/кг"), W("0,97 Вт/кг")}, ".+"},  // decimal comma
      {Measure::kSar, {"0.72", "0.86"}, "+."},
      {Measure::kStandbyTime, {W("до 300 ч"), W("до 14 дней"), "250"}, ".+."},  // higher wins
      {Measure::kTalkTime, {W("до 4 ч"), W("до 300 мин"), "200"}, ".+."},       // 240 < 300 minutes
      {Measure::kCapacity, {W("Li-Ion 875 мАч"), W("Li-Ion 1,2 Ач"), "Li-Ion"}, ".+."},
      {Measure::kRows, {"5", "8", "8"}, "..."},
      {Measure::kNone, {"GSM 900", "GSM 1800"}, ".."},
  };
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* locale : {"C", "ru_RU.UTF-8"}) {
    if (!std::setlocale(LC_NUMERIC, locale)) {
      ADD_FAILURE() << "no locale " << locale << " (./test makes it)";
      continue;
    }
    for (const Case& c : cases) {
      std::string marks;
      for (bool best : BestValues(c.measure, c.values)) marks += best ? '+' : '.';
      EXPECT_EQ(marks, c.marks) << locale << ": " << c.values[0] << " | " << c.values[1];
    }
  }
  std::setlocale(LC_NUMERIC, before.c_str());
}

// Which rows "Только различия" keeps: those in which any model shows something else, a row that
// one model lacks (an unknown display) included.
TEST(CompareDifferences, Table) {
  testing::TempCatalogue cat;
  cat.WriteText("Base/nokia_new.xml",
                "<brand><model><Model>A</Model><Weight>95 г</Weight><Properties>1</Properties>"
                "<Price>45</Price></model>"
                "<model><Model>B</Model><Weight>95 г</Weight><Properties>x</Properties>"
                "<Price>50</Price></model>"
                "<model><Model>C</Model><Weight>95 г</Weight><Properties>1</Properties>"
                "<Price>45</Price></model></brand>");
  CatalogueData data(cat.root());
  struct Case {
    common::StringList entries;
    common::StringList differing;  // labels of the rows that differ
  };
  const Case cases[] = {
      {{"Nokia A", "Nokia C"}, {W("Модель")}},
      {{"Nokia A", "Nokia B"}, {W("Модель"), W("Цена"), W("Дисплей")}},
      {{"Nokia A"}, {}},
  };
  for (const Case& c : cases) {
    common::StringList differing;
    for (const CompareRow& row : ComparisonRows(data, c.entries)) {
      if (!AllAgree(row)) differing.push_back(row.label);
    }
    EXPECT_EQ(differing, c.differing) << c.entries[0];
  }
}

}  // namespace
}  // namespace trubkom::catalogue
