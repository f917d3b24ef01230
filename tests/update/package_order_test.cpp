#include "update/package_order.h"

#include <gtest/gtest.h>

namespace trubkom::update {
namespace {

TEST(PackageOrder, OldestFirstByTheDateInTheNameAndNameOrderWithinADate) {
  std::vector<std::string> paths = {"/u/upd010607.upd", "/u/UPD050507.upd",  "/u/upd100407.upd",
                                    "/u/upd311299.upd", "/u/upd100407b.upd", "/u/upd010100.upd"};
  SortByDate(paths);
  EXPECT_EQ(paths,
            (std::vector<std::string>{"/u/upd010100.upd", "/u/upd100407.upd", "/u/upd100407b.upd",
                                      "/u/UPD050507.upd", "/u/upd010607.upd", "/u/upd311299.upd"}));
}

TEST(PackageOrder, OnlyPackageNamesEachOnceUpToTheCap) {
  EXPECT_EQ(PackageNamesOfIndex({"upd1.UPD", "upd150107.new", "upd1.progress", "base.tkm", ".upd",
                                 "x.upd", "a/b.upd", "a\\b.upd", "..upd", ".hidden.upd", "UPD1.upd",
                                 "upd2.upd"}),
            (common::StringList{"upd1.UPD", "x.upd", "upd2.upd"}));
  common::StringList many;
  for (std::size_t i = 0; i < 3 * kMaxIndexPackages; ++i) {
    many.push_back("upd" + std::to_string(i) + ".upd");
  }
  EXPECT_EQ(PackageNamesOfIndex(many).size(), kMaxIndexPackages);
}

}  // namespace
}  // namespace trubkom::update
