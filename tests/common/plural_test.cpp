#include "common/plural.h"

#include <gtest/gtest.h>

namespace trubkom::common {
namespace {

TEST(RussianPlural, OneFewOrManyByTheLastDigitsOfTheCount) {
  struct Case {
    std::uint64_t count;
    std::string_view form;
  } cases[] = {{0, "many"},  {1, "one"},   {2, "few"},    {4, "few"},    {5, "many"},
               {11, "many"}, {12, "many"}, {14, "many"},  {21, "one"},   {22, "few"},
               {25, "many"}, {101, "one"}, {111, "many"}, {112, "many"}, {1004, "few"}};
  for (const Case& c : cases) {
    EXPECT_EQ(RussianPlural(c.count, "one", "few", "many"), c.form) << c.count;
  }
}

}  // namespace
}  // namespace trubkom::common
