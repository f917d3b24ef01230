#include "catalogue/folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/encoding.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

namespace fs = std::filesystem;

// A catalogue has a Base or a Templates folder, letter case ignored; any other folder is only
// where the program was started.
TEST(IsCatalogueFolder, Table) {
  struct Case {
    std::vector<const char*> entries;  // a trailing '/' makes a folder
    bool catalogue;
  } cases[] = {
      {{"Base/", "Templates/"}, true},
      {{"Base/"}, true},
      {{"templates/"}, true},
      {{"BASE/"}, true},
      {{}, false},
      {{"Pics/", "adv/", "updates/"}, false},
      {{"Base", "Templates"}, false},  // files of those names
  };
  for (const Case& c : cases) {
    testing::TempCatalogue cat("Рабочий стол");
    std::string listed;
    for (std::string entry : c.entries) {
      listed += entry + " ";
      if (entry.ends_with('/')) {
        fs::create_directories(cat.Path(entry));
      } else {
        cat.WriteBytes(entry, "x");
      }
    }
    EXPECT_EQ(IsCatalogueFolder(cat.root()), c.catalogue) << listed;
  }
}

// Writing needs the working folder (updates) and its Templates folder (pages). Root writes in
// read-only folders anyway: that row runs for other users only, and the rows with something
// else where Templates should be bind root too.
TEST(CheckCatalogueWritable, Table) {
  struct Case {
    const char* what;
    std::function<void(const testing::TempCatalogue&)> damage;
    const char* refusing;  // the folder named by the error, relative; null when writable
    bool needs_non_root = false;
  };
  const auto read_only = [](const std::string& path) {
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  };
  const Case cases[] = {
      {"intact", [](auto&) {}, nullptr},
      {"no Templates folder", [](auto& cat) { fs::remove(cat.Path("Templates")); }, nullptr},
      {"Templates in other letters",
       [](auto& cat) { fs::rename(cat.Path("Templates"), cat.Path("TEMPLATES")); }, nullptr},
      {"a file for Templates",
       [](auto& cat) {
         fs::remove(cat.Path("Templates"));
         cat.WriteBytes("Templates", "x");
       },
       "Templates"},
      {"a link to nothing for Templates",
       [](auto& cat) {
         fs::remove(cat.Path("Templates"));
         fs::create_symlink("gone", cat.Path("Templates"));
       },
       "Templates"},
      {"a read-only Templates folder", [&](auto& cat) { read_only(cat.Path("Templates")); },
       "Templates", true},
      {"a read-only working folder", [&](auto& cat) { read_only(cat.root()); }, "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needs_non_root && ::geteuid() == 0) continue;  // root writes there anyway
    testing::TempCatalogue cat("Мои документы/Каталог");
    fs::create_directories(cat.Path("Base"));
    fs::create_directories(cat.Path("Templates"));
    c.damage(cat);
    common::Status writable = CheckCatalogueWritable(cat.root());
    EXPECT_EQ(writable.ok(), c.refusing == nullptr);
    if (!writable && c.refusing) {
      std::string folder = std::string(c.refusing).empty() ? cat.root() : cat.Path(c.refusing);
      EXPECT_NE(writable.error().message.find(common::Cp1251FromUtf8(folder + ": ")),
                std::string::npos)
          << writable.error().message;
    }
    fs::permissions(cat.root(), fs::perms::owner_all, fs::perm_options::add);
  }
}

// An installed program finds its files in share/trubkom beside bin/ (as the build's install layout
// says); a program run where it was built has them beside it; config.tkm tells which.
TEST(ProgramFolder, Table) {
  // "@" stands for the installed program's folder, "usr/share/trubkom" as a rule.
  const std::string installed =
      (fs::path("usr/bin") / kInstalledProgramFolder).lexically_normal().string();
  struct Case {
    const char* what;
    std::vector<std::string> configs;  // where config.tkm is; a trailing '/' makes a folder
    std::string program;               // the folder found
  } cases[] = {
      {"installed", {"@/config.tkm"}, "@"},
      {"beside the program", {"usr/bin/config.tkm"}, "usr/bin"},
      {"both", {"@/config.tkm", "usr/bin/config.tkm"}, "@"},
      {"neither", {}, "usr/bin"},
      {"a folder named config.tkm", {"@/config.tkm/"}, "usr/bin"},
  };
  auto place = [&](std::string path) {
    return path.starts_with('@') ? installed + path.substr(1) : path;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue root("Программы");
    fs::create_directories(root.Path("usr/bin"));
    for (const std::string& config : c.configs) {
      if (config.ends_with('/')) {
        fs::create_directories(root.Path(place(config)));
      } else {
        root.WriteBytes(place(config), "[adv_text]\n");
      }
    }
    std::string found = ProgramFolder(root.Path("usr/bin"));
    EXPECT_EQ(found, root.Path(place(c.program)));
    EXPECT_EQ(DemoCatalogueFolder(found), root.Path(place(c.program)) + "/catalogue");
  }
}

}  // namespace
}  // namespace trubkom::catalogue
