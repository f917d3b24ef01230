#include "selection/new_models.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/date_code.h"
#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

TEST(UpdateDates, DisplayAndOrder) {
  struct Case {
    const char* a;
    const char* b;
    int compared;
  } cases[] = {
      {"010208", "311207", 1},  // the year decides first
      {"150306", "010106", 1},  // then the month
      {"020106", "010106", 1},  // then the day
      // Day and month that disagree within a year: the month decides, whatever the days say.
      {"010206", "020106", 1},   // 1 February after 2 January
      {"310106", "010206", -1},  // 31 January before 1 February
      {"120306", "031206", -1},  // 12 March before 3 December
      {"011206", "121106", 1},   // 1 December after 12 November
      {"010199", "010105", 1},   // years are two-digit numbers
      {"010106", "010106", 0},
      {"ab0106", "000106", 0},  // a piece without digits reads as 0
      {"", "000000", 0},
      {"0101", "010100", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(common::CompareUpdateDates(c.a, c.b), c.compared) << c.a << " " << c.b;
    EXPECT_EQ(common::CompareUpdateDates(c.b, c.a), -c.compared) << c.b << " " << c.a;
  }
  EXPECT_EQ(common::DisplayDate("151207"), "15.12.07");
  EXPECT_EQ(common::DisplayDate("1512"), "15.12.");
  EXPECT_EQ(common::DisplayDate(""), "..");
  EXPECT_EQ(common::DateCodeOf("UPD151207.UPD"), "151207");
  EXPECT_EQ(common::DateCodeOf("up"), "");
}

TEST(NewModelFiles, NewestFirstAndInvalidOnesSkipped) {
  testing::TempCatalogue cat;
  cat.WriteText("Updates/upd010106.new", "Nokia 3310\r\n");
  cat.WriteText("Updates/upd150306.new", "Nokia 6230\r\n\r\nSiemens C55\r\n");
  cat.WriteText("Updates/upd311205.new", "Fly SX210\r\n");
  cat.WriteText("Updates/upd010199.new", "Nokia 9210\r\n");
  cat.WriteText("Updates/upd020202.new", "");            // empty
  cat.WriteText("Updates/upd030303.new", "N\r\nx\r\n");  // first line of one character
  cat.WriteText("Updates/upd040404.upd", "package");
  std::filesystem::create_directories(cat.Path("Updates/upd050505.new"));
  common::StringList files = FindNewModelFiles(cat.root());
  common::StringList dates;
  for (const std::string& file : files) dates.push_back(NewModelFileDate(file));
  EXPECT_EQ(dates, (common::StringList{"01.01.99", "15.03.06", "01.01.06", "31.12.05"}));
  EXPECT_EQ(*NewModelRows(files[1]), (common::StringList{"Nokia 6230", "", "Siemens C55"}));
  EXPECT_TRUE(FindNewModelFiles(cat.root() + "/missing").empty());
}

TEST(NewModelFiles, DateLabelKeepsTheCharactersAsTheyAre) {
  EXPECT_EQ(NewModelFileDate("/x/updates/updAbCdEf.new"), "Ab.Cd.Ef");
  EXPECT_EQ(NewModelFileDate("/x/updates/upd15.new"), "15..");
}

}  // namespace
}  // namespace trubkom::selection
