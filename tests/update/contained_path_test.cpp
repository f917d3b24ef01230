#include "update/contained_path.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"
#include "support/update_test_support.h"

namespace trubkom::update {
namespace {

using testing::Tree;

// The catalogue "cat/" beside a folder "outside/" that no name inside may reach.
const Tree kFolders = {{"cat/Base/x.xml", "X"},
                       {"cat/Store/b.gif", "B"},
                       {"cat/Deep/Er/", ""},
                       {"outside/secret.txt", "S"}};

// What a name resolves to: its path under cat/ (links followed, spelled as on disk), "out" for
// a name refused for leading out, "error" for one that cannot be resolved for another reason.
struct NameCase {
  const char* what;
  Tree links;  // made in the test's root, beside kFolders
  const char* name;
  const char* expected;
};

const NameCase kNameCases[] = {
    {"a plain name", {}, "Base/x.xml", "Base/x.xml"},
    {"letter case found on disk", {}, "BASE\\X.XML", "Base/x.xml"},
    {"a missing file keeps its name", {}, "base/New.xml", "Base/New.xml"},
    {"missing folders keep their names", {}, "New/Sub/a.gif", "New/Sub/a.gif"},
    {"the root itself", {}, "", ""},
    {"a written .. even inside", {}, "Base/../Base/x.xml", "out"},
    {"an absolute name", {}, "/etc/passwd", "out"},
    {"a link to a folder inside", {{"cat/Pics", "-> Store"}}, "pics/b.gif", "Store/b.gif"},
    {"a link climbing to a sibling",
     {{"cat/Deep/Pics", "-> ../Store"}},
     "Deep/Pics/B.GIF",
     "Store/b.gif"},
    {"a link from a link",
     {{"cat/A", "-> B"}, {"cat/B", "-> Deep/Er"}},
     "a/n.txt",
     "Deep/Er/n.txt"},
    {"a file's link inside", {{"cat/b.gif", "-> Store/b.gif"}}, "b.gif", "Store/b.gif"},
    {"a dangling link inside", {{"cat/n.gif", "-> Store/n.gif"}}, "n.gif", "Store/n.gif"},
    {"a link out", {{"cat/Pics", "-> ../outside"}}, "Pics/secret.txt", "out"},
    {"a file's link out", {{"cat/s.txt", "-> ../outside/secret.txt"}}, "s.txt", "out"},
    {"a link out and back in", {{"cat/Pics", "-> ../cat/Store"}}, "Pics/b.gif", "out"},
    {"a link deeper down out", {{"cat/Deep/Er/Up", "-> ../../../outside"}}, "deep/er/up/x", "out"},
    {"an absolute link", {{"cat/Pics", "-> /tmp"}}, "Pics/x", "out"},
    {"a missing folder, then ..", {{"cat/M", "-> None/../.."}}, "M/x", "out"},
    {"a loop of links", {{"cat/L", "-> L"}}, "L/x", "error"},
    {"a file where a folder belongs", {}, "Base/x.xml/y", "error"},
};

std::string Outcome(const std::string& root, const char* name) {
  auto found = ResolveInside(root, name);
  auto shown = PathInside(root, name);
  if (!found) return shown ? "error" : "out";
  std::string path = found->Path(root);
  EXPECT_EQ(shown, path) << name;
  return path == root ? "" : path.substr(root.size() + 1);
}

TEST(ResolveInside, FollowsLinksThatStayInsideAndRefusesTheOthers) {
  for (bool openat2 : {true, false}) {
    UseOpenat2(openat2);
    for (const NameCase& c : kNameCases) {
      SCOPED_TRACE(std::string(c.what) + (openat2 ? " (openat2)" : " (openat)"));
      testing::TempCatalogue temp;
      testing::Build(temp.root(), kFolders);
      testing::Build(temp.root(), c.links);
      EXPECT_EQ(Outcome(temp.Path("cat"), c.name), c.expected);
    }
  }
  UseOpenat2(true);
}

// Missing folders are made where the name leads, beneath the root, links inside followed; a
// name that leads out makes none.
TEST(ResolveInside, CreatesMissingFoldersBeneathTheRootOnly) {
  const struct {
    const char* name;
    bool ok;
    Tree after;  // of the test's root, kFolders and the links left out
  } cases[] = {
      {"pics/new/sub/a.gif", true, {{"cat/Store/new/sub/", ""}}},
      {"Base/new/a.gif", true, {{"cat/Base/new/", ""}}},
      {"out/new/a.gif", false, {}},
  };
  for (bool openat2 : {true, false}) {
    UseOpenat2(openat2);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (openat2 ? " (openat2)" : " (openat)"));
      testing::TempCatalogue temp;
      testing::Build(temp.root(), kFolders);
      testing::Build(temp.root(), {{"cat/Pics", "-> Store"}, {"cat/out", "-> ../outside"}});
      auto found = ResolveInside(temp.Path("cat"), c.name, MissingFolders::kCreate);
      ASSERT_EQ(found.ok(), c.ok);
      if (found) {
        EXPECT_TRUE(found->Whole());
      }
      Tree expected = kFolders;
      expected["cat/Pics"] = "-> Store";
      expected["cat/out"] = "-> ../outside";
      expected.merge(Tree(c.after));
      EXPECT_EQ(testing::Snapshot(temp.root()), expected);
    }
  }
  UseOpenat2(true);
}

}  // namespace
}  // namespace trubkom::update
