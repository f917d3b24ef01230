#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

// Leftovers of killed writers go; files of running writers and files not ours stay.
TEST(RemoveStaleTemporaries, Table) {
  const std::string self = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool removed;
  };
  const Case cases[] = {
      {"base.tkm.trubkom-999999999-0.tmp", true},
      {"temp.html.trubkom-999999998-12.tmp", true},
      {"base.tkm.trubkom-" + self + "-0.tmp", false},
      {"base.tkm", false},
      {"base.tkm.tmp", false},
      {"base.tkm.trubkom-x-0.tmp", false},
      {"base.tkm.trubkom-999999999-0.tmp.bak", false},
      {"base.tkm.trubkom-999999999.tmp", false},
  };
  testing::TempCatalogue cat;
  for (const Case& c : cases) cat.WriteBytes("Base/" + c.name, "x");
  cat.WriteBytes("Base/sub/a.trubkom-999999999-0.tmp", "x");
  int expected = 0;
  for (const Case& c : cases) expected += c.removed;
  EXPECT_EQ(RemoveStaleTemporaries(cat.Path("Base")), expected);
  for (const Case& c : cases) EXPECT_EQ(cat.Exists("Base/" + c.name), !c.removed) << c.name;
  EXPECT_TRUE(cat.Exists("Base/sub/a.trubkom-999999999-0.tmp"));  // one folder only
}

}  // namespace
}  // namespace trubkom::common
