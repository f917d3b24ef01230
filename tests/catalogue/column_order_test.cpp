#include "catalogue/column_order.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

struct OrderCase {
  const char* name;
  std::vector<int> clicks;          // header clicks; -1 stands for a reset
  std::vector<std::string> column;  // UTF-8, in the list's own order
  std::vector<std::string> shown;
};

TEST(ColumnOrder, SortsByTheClickedColumn) {
  const std::vector<std::string> prices = {"120", "95", "", "1000", "95"};
  const OrderCase cases[] = {
      {"no click: the list's own order", {}, prices, prices},
      {"prices as numbers, empty last", {1}, prices, {"95", "95", "120", "1000", ""}},
      {"a second click reverses, empty still last",
       {1, 1},
       prices,
       {"1000", "120", "95", "95", ""}},
      {"a third click sorts up again", {1, 1, 1}, prices, {"95", "95", "120", "1000", ""}},
      {"another column starts up", {0, 0, 1}, prices, {"95", "95", "120", "1000", ""}},
      {"a reset gives the own order back", {1, 1, -1}, prices, prices},
      {"numbers before words", {0}, {"N95", "3310", "120"}, {"120", "3310", "N95"}},
      {"letter case ignored, equal texts in their own order",
       {0},
       {"b", "A", "ж", "Б", "a"},
       {"A", "a", "b", "Б", "ж"}},
      {"words reversed", {0, 0}, {"b", "A", "ж", "Б"}, {"ж", "Б", "b", "A"}},
  };
  for (const OrderCase& c : cases) {
    ColumnOrder order;
    for (int click : c.clicks) click < 0 ? order.Reset() : order.Click(click);
    std::vector<std::string> texts;
    for (const std::string& text : c.column) texts.push_back(W(text.c_str()));
    std::vector<std::string> shown;
    for (std::size_t place : order.Arrange(texts)) shown.push_back(c.column[place]);
    EXPECT_EQ(shown, c.shown) << c.name;
  }
}

}  // namespace
}  // namespace trubkom::catalogue
