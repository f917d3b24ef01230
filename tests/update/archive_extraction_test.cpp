#include "update/archive_extraction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "common/atomic_file.h"
#include "support/core_helpers.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"

namespace trubkom::update {
namespace {

using testing::MakeZip;
using testing::Tree;
using testing::ZipEntry;

constexpr std::uint64_t kMiB = 1 << 20;
constexpr std::uint64_t kGiB = kMiB << 10;

// The same bytes with every occurrence of from (of the same length) replaced by to.
std::string Patched(std::string bytes, const std::string& from, const std::string& to) {
  for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at)) {
    bytes.replace(at, from.size(), to);
  }
  return bytes;
}

// What the table expects of an extraction: the number of files written, or how it stopped.
constexpr int kNotAnArchive = -1;
constexpr int kDamagedArchive = -1;
constexpr int kArchiveTooLarge = -2;

int ResultOf(const common::Result<ExtractReport>& report) {
  if (report) return report->files;
  return report.error().code == common::ErrorCode::kTooLarge ? kArchiveTooLarge : kDamagedArchive;
}

// The archive is made for the test's root folder, which holds the destination "work" and a
// folder "outside" that no entry may reach. Trees are of the whole root.
struct ExtractCase {
  const char* what;
  std::function<std::string(const std::string& root)> archive;
  Tree before;  // besides outside/secret.txt
  int result;
  Tree after;  // besides outside/secret.txt
  ExtractLimits limits = {};
};

const std::vector<ExtractCase> kExtractCases = {
    {"entries land in their folders",
     [](auto&) {
       return MakeZip({{"pics/a.gif", "GIF"}, {"upd1.tkm", "T", 0104777}, {"empty/", ""}});
     },
     {},
     2,
     {{"work/pics/a.gif", "GIF"}, {"work/upd1.tkm", "T"}, {"work/empty/", ""}}},
    {"files are overwritten",
     [](auto&) {
       return MakeZip({{"a.txt", "new"}});
     },
     {{"work/a.txt", "old"}},
     1,
     {{"work/a.txt", "new"}}},
    {"duplicate names: which one wins is unclear, so none does",
     [](auto&) {
       return Patched(MakeZip({{"dupA.txt", "one"}, {"dupB.txt", "two"}}), "dupB", "dupA");
     },
     {{"work/dupA.txt", "old"}},
     kDamagedArchive,
     {{"work/dupA.txt", "old"}}},
    {"../ name",
     [](auto&) {
       return MakeZip({{"../outside/evil.txt", "E"}, {"good.txt", "G"}});
     },
     {},
     1,
     {{"work/good.txt", "G"}}},
    {"..\\ name",
     [](auto&) {
       return MakeZip({{"..\\outside\\evil.txt", "E"}});
     },
     {},
     0,
     {{"work/", ""}}},
    {"a .. after going in",
     [](auto&) {
       return MakeZip({{"a/../../outside/evil.txt", "E"}});
     },
     {},
     0,
     {{"work/", ""}}},
    {"absolute name",
     [](const std::string& root) {
       return MakeZip({{root + "/outside/evil.txt", "E"}});
     },
     {},
     0,
     {{"work/", ""}}},
    {"absolute name with a backslash",
     [](auto&) {
       return MakeZip({{"\\outside\\evil.txt", "E"}});
     },
     {},
     0,
     {{"work/", ""}}},
    {"a link entry, then a file through it",
     [](auto&) {
       return MakeZip({{"link", "../outside", 0120777}, {"link/evil.txt", "E"}});
     },
     {},
     1,
     {{"work/link/evil.txt", "E"}}},
    {"a file through a link already there",
     [](auto&) {
       return MakeZip({{"link/secret.txt", "E"}, {"sub/link", "E"}});
     },
     {{"work/link", "-> ../outside"}, {"work/sub/link", "-> ../../outside/secret.txt"}},
     0,
     {{"work/link", "-> ../outside"}, {"work/sub/link", "-> ../../outside/secret.txt"}}},
    {"a device",
     [](auto&) {
       return MakeZip({{"tty", "", 020666}});
     },
     {},
     0,
     {{"work/", ""}}},
    {"a damaged entry among good ones",
     [](auto&) {
       return Patched(MakeZip({{"good1", "good one", 0100644, false},
                               {"bad", "BADBADBAD", 0100644, false},
                               {"good2", "good two", 0100644, false}}),
                      "BADBADBAD", "BADBADBAX");
     },
     {},
     2,
     {{"work/good1", "good one"}, {"work/good2", "good two"}}},
    {"a truncated archive",
     [](auto&) {
       std::string zip = MakeZip({{"a", std::string(1000, 'a')}, {"b", std::string(1000, 'b')}});
       return zip.substr(0, zip.size() / 2);
     },
     {},
     kNotAnArchive,
     {{"work/", ""}}},
    {"no ZIP at all",
     [](auto&) { return std::string("PK but not really"); },
     {},
     kNotAnArchive,
     {{"work/", ""}}},
    {"5 GB of zeros",
     [](auto&) { return testing::MakeZeroBomb("zeros", 5 * kGiB, 5 * kGiB); },
     {},
     kArchiveTooLarge,
     {{"work/", ""}}},
    {"5 GB of zeros declared as 1 KB",
     [](auto&) { return testing::MakeZeroBomb("zeros", 5 * kGiB, 1024); },
     {},
     kArchiveTooLarge,
     {{"work/", ""}},
     {64 * kMiB, kGiB, 100}},
    {"8 MB of zeros declared as 1 KB: the entry's cap stops it, far below the archive's",
     [](auto&) { return testing::MakeZeroBomb("zeros", 8 * kMiB, 1024); },
     {},
     kArchiveTooLarge,
     {{"work/", ""}},
     {kMiB, kGiB, 100}},
    {"more bytes than the archive may hold",
     [](auto&) {
       std::string mib(kMiB, 'x');
       return MakeZip({{"1", mib}, {"2", mib}, {"3", mib}, {"4", mib}});
     },
     {},
     kArchiveTooLarge,
     {{"work/1", std::string(kMiB, 'x')},
      {"work/2", std::string(kMiB, 'x')},
      {"work/3", std::string(kMiB, 'x')}},
     {2 * kMiB, 3 * kMiB, 100}},
    {"more entries than the archive may hold",
     [](auto&) {
       return MakeZip({{"1", "1"}, {"2", "2"}, {"3", "3"}});
     },
     {},
     kArchiveTooLarge,
     {{"work/", ""}},
     {kMiB, kMiB, 2}},
};

void ExpectOwnerWritableFiles(const std::string& folder) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.is_symlink()) continue;
    struct stat info;
    ASSERT_EQ(::stat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u) << entry.path();
  }
}

TEST(ArchiveExtractionTest, ExtractsWhatIsSafeAndNothingElse) {
  for (const ExtractCase& c : kExtractCases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    Tree before = c.before;
    before["outside/secret.txt"] = "S";
    before["work/"] = "";
    testing::Build(temp.root(), before);
    std::string archive = temp.Path("in.zip");
    ASSERT_TRUE(common::ReplaceFileAtomically(archive, c.archive(temp.root())));

    auto report = testing::ExtractArchiveFile(archive, temp.Path("work"), c.limits);

    EXPECT_EQ(ResultOf(report), c.result);
    if (report) {
      EXPECT_EQ(report->problems.empty(), report->Complete());  // every entry left out is told
    }
    std::filesystem::remove(archive);
    Tree after = c.after;
    after["outside/secret.txt"] = "S";
    EXPECT_EQ(testing::Snapshot(temp.root()), after);
    ExpectOwnerWritableFiles(temp.Path("work"));
  }
}

}  // namespace
}  // namespace trubkom::update
