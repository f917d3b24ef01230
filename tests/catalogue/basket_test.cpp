#include "catalogue/basket.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

std::vector<std::string> Models(const Basket& basket) {
  std::vector<std::string> models;
  for (const BasketEntry& entry : basket.entries()) models.push_back(entry.model);
  return models;
}

Basket BasketOf(const std::vector<std::string>& models) {
  Basket basket;
  for (const std::string& model : models) basket.Add(model, "");
  return basket;
}

struct AddCase {
  const char* name;
  std::vector<std::string> held;
  std::string model;
  bool added;
  std::vector<std::string> after;
};

TEST(Basket, AddRefusesModelsEqualUpToAsciiCase) {
  const AddCase cases[] = {
      {"into an empty basket", {}, "Nokia 3310", true, {"Nokia 3310"}},
      {"a new model goes last", {"Nokia 3310"}, "Fly SX210 *", true, {"Nokia 3310", "Fly SX210 *"}},
      {"the same text",
       {"Nokia 3310", "Siemens C55"},
       "Siemens C55",
       false,
       {"Nokia 3310", "Siemens C55"}},
      {"Latin letters in another case", {"NOKIA 1100"}, "Nokia 1100", false, {"NOKIA 1100"}},
      {"Cyrillic letters in another case are another model",
       {W("Сименс А1")},
       W("СИМЕНС А1"),
       true,
       {W("Сименс А1"), W("СИМЕНС А1")}},
      {"the full-description mark makes another entry",
       {"Nokia E61 *"},
       "Nokia E61",
       true,
       {"Nokia E61 *", "Nokia E61"}},
      {"a longer name is not a duplicate",
       {"Nokia 3310"},
       "Nokia 3310i",
       true,
       {"Nokia 3310", "Nokia 3310i"}},
  };
  for (const AddCase& c : cases) {
    Basket basket = BasketOf(c.held);
    EXPECT_EQ(basket.Add(c.model, "45"), c.added) << c.name;
    EXPECT_EQ(Models(basket), c.after) << c.name;
  }
}

TEST(Basket, AddKeepsThePriceOfTheEntryFirstAdded) {
  Basket basket;
  basket.Add("Nokia 3310", "1500");
  basket.Add("nokia 3310", "99");
  basket.Add("Fly SX210 *", "");
  ASSERT_EQ(basket.entries().size(), 2u);
  EXPECT_EQ(basket.entries()[0].price, "1500");
  EXPECT_EQ(basket.entries()[1].price, "");
}

struct RemoveCase {
  const char* name;
  std::vector<std::string> held;
  std::size_t position;
  std::vector<std::string> after;
};

TEST(Basket, RemoveTakesOutThePositionOnly) {
  const RemoveCase cases[] = {
      {"the first", {"A 1", "B 2", "C 3"}, 0, {"B 2", "C 3"}},
      {"a middle one", {"A 1", "B 2", "C 3"}, 1, {"A 1", "C 3"}},
      {"the last", {"A 1", "B 2", "C 3"}, 2, {"A 1", "B 2"}},
      {"past the end", {"A 1", "B 2"}, 2, {"A 1", "B 2"}},
      {"from an empty basket", {}, 0, {}},
  };
  for (const RemoveCase& c : cases) {
    Basket basket = BasketOf(c.held);
    basket.Remove(c.position);
    EXPECT_EQ(Models(basket), c.after) << c.name;
  }
}

struct ComparisonCase {
  const char* name;
  std::vector<std::string> held;
  std::string text;
};

TEST(Basket, ComparisonTextListsTheModelsInBasketOrder) {
  const ComparisonCase cases[] = {
      {"empty", {}, ""},
      {"one model", {"Nokia 3310"}, "Nokia 3310^"},
      {"order of adding, not of names",
       {"Siemens C55", "Fly SX210 *", "Nokia 3310"},
       "Siemens C55^Fly SX210 *^Nokia 3310^"},
      {"bytes as they were given", {W("Сименс А1")}, W("Сименс А1") + "^"},
  };
  for (const ComparisonCase& c : cases) {
    EXPECT_EQ(BasketOf(c.held).ComparisonText(), c.text) << c.name;
  }
}

TEST(Basket, ClearedBasketTakesTheSameModelsAgain) {
  Basket basket = BasketOf({"Nokia 3310", "Siemens C55"});
  basket.Clear();
  EXPECT_TRUE(basket.empty());
  EXPECT_EQ(basket.ComparisonText(), "");
  EXPECT_TRUE(basket.Add("NOKIA 3310", ""));
  EXPECT_EQ(Models(basket), std::vector<std::string>{"NOKIA 3310"});
}

}  // namespace
}  // namespace trubkom::catalogue
