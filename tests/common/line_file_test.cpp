#include "common/line_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "common/line_pieces.h"
#include "common/line_table.h"
#include "common/warnings.h"
#include "support/core_helpers.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

// The lines of bytes as LinePieces reads them from a file, pieces of piece_bytes.
StringList LinesInPieces(const std::string& bytes, std::size_t piece_bytes) {
  testing::TempCatalogue cat;
  cat.WriteBytes("lines", bytes);
  Result<LinePieces> pieces = LinePieces::Open(cat.root() + "/lines", piece_bytes);
  if (!pieces) return {"(not opened)"};
  std::vector<StringList> of_piece(pieces->size());
  pieces->ForEach(
      [&](std::size_t piece, LineTable lines) { of_piece[piece] = testing::ToStringList(lines); });
  StringList all;
  for (const StringList& piece : of_piece) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

TEST(Lines, CarriageReturnRuleKeepsLoneLineFeeds) {
  struct Case {
    std::string bytes;
    StringList expected;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb\r\nc", {"a\nb", "c"}},
      {"\r\n\r\n", {"", ""}},
      {"", {}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"x\n", {"x\n"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitLinesAtCr(c.bytes), c.expected);
    EXPECT_EQ(testing::ToStringList(LineTable::SplitAtCr(c.bytes)), c.expected);
    // Read a piece at a time, a piece beginning anywhere: in a CR LF, between CRs, in a line.
    for (std::size_t piece_bytes = 1; piece_bytes <= 4; ++piece_bytes) {
      EXPECT_EQ(LinesInPieces(c.bytes, piece_bytes), c.expected) << piece_bytes;
    }
  }
  // A file of megabytes is split in parts side by side: wherever a part begins, in a CR LF or
  // between CRs, the lines are the same.
  std::string large;
  for (int i = 0; large.size() < (std::size_t{3} << 20); ++i) {
    large += "a\r\r\nb\n\r\n\rx" + std::to_string(i % 7) + (i % 3 ? "\r\n" : "\n");
  }
  EXPECT_EQ(testing::ToStringList(LineTable::SplitAtCr(large)), SplitLinesAtCr(large));
  // Lines longer than a piece, and than the bytes looked at for a line's start at a time.
  large += std::string(10000, 'y') + "\r\n" + std::string(5000, 'z');
  for (std::size_t piece_bytes : {std::size_t{4095}, std::size_t{1} << 20}) {
    EXPECT_EQ(LinesInPieces(large, piece_bytes), SplitLinesAtCr(large)) << piece_bytes;
  }
}

TEST(Lines, AnyEndRuleEndsLinesAtCrLfCrOrLf) {
  struct Case {
    std::string bytes;
    StringList expected;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\n", {""}},
      {"a\n\r", {"a", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLinesAtAnyEnd(c.bytes), c.expected);
}

TEST(Lines, WrittenLinesEndWithCrLfAndReplaceTheFile) {
  testing::TempCatalogue dir;
  dir.WriteBytes("page.html", "old contents that are longer");
  ASSERT_TRUE(WriteLinesCrLf(dir.Path("page.html"), {"<html>", "", "</html>"}));
  EXPECT_EQ(dir.ReadBytes("page.html"), "<html>\r\n\r\n</html>\r\n");
  ASSERT_TRUE(WriteLinesCrLf(dir.Path("page.html"), {}));
  EXPECT_EQ(dir.ReadBytes("page.html"), "");
}

TEST(Lines, FailedWriteLeavesNothingBehind) {
  testing::TempCatalogue dir;
  EXPECT_FALSE(WriteLinesCrLf(dir.Path("missing/page.html"), {"x"}));
  EXPECT_FALSE(dir.Exists("missing"));
  EXPECT_EQ(ReadFile(dir.Path("absent.html")).error().code, ErrorCode::kMissing);
}

using testing::RecordedWarnings;
using testing::W;

// Only regular files are read; anything else at the path fails, with a code the caller can act
// on and a message naming the file and the reason, and nothing warned (the caller decides). None
// of it may block, abort or read without end.
TEST(ReadFile, ReadsRegularFilesOnlyAndSaysWhyNot) {
  namespace fs = std::filesystem;
  struct Case {
    const char* what;
    void (*make)(testing::TempCatalogue&, const std::string& path);
    std::optional<std::string> bytes;
    const char* reason;  // the end of the error's message, or null when the file is missing
  };
  const Case cases[] = {
      {"regular file", [](auto& d, auto&) { d.WriteBytes("f", "a\r\n"); }, "a\r\n", nullptr},
      {"exactly the cap", [](auto& d, auto&) { d.WriteBytes("f", "1234"); }, "1234", nullptr},
      {"link to a file",
       [](auto& d, auto& p) {
         d.WriteBytes("g", "x");
         fs::create_symlink(d.Path("g"), p);
       },
       "x", nullptr},
      {"missing", [](auto&, auto&) {}, std::nullopt, nullptr},
      {"dangling link", [](auto& d, auto& p) { fs::create_symlink(d.Path("none"), p); },
       std::nullopt, nullptr},
      {"above the cap", [](auto& d, auto&) { d.WriteBytes("f", "12345"); }, std::nullopt,
       "файл больше 4 байт"},
      {"folder", [](auto&, auto& p) { fs::create_directory(p); }, std::nullopt,
       "это не обычный файл"},
      {"FIFO", [](auto&, auto& p) { ::mkfifo(p.c_str(), 0600); }, std::nullopt,
       "это не обычный файл"},
      {"link to /dev/zero", [](auto&, auto& p) { fs::create_symlink("/dev/zero", p); },
       std::nullopt, "это не обычный файл"},
      {"link to a folder", [](auto& d, auto& p) { fs::create_symlink(d.root(), p); }, std::nullopt,
       "это не обычный файл"},
      {"link to /proc/self/mem", [](auto&, auto& p) { fs::create_symlink("/proc/self/mem", p); },
       std::nullopt, "ошибка ввода-вывода"},
      {"link loop", [](auto&, auto& p) { fs::create_symlink(p, p); }, std::nullopt,
       "Too many levels of symbolic links"},
  };
  for (const Case& c : cases) {
    testing::TempCatalogue dir;
    std::string path = dir.Path("f");
    c.make(dir, path);
    RecordedWarnings warnings;
    Result<std::string> read = ReadFile(path, 4);
    EXPECT_TRUE(warnings.texts.empty()) << c.what;
    if (c.bytes) {
      EXPECT_EQ(read.value_or("?"), *c.bytes) << c.what;
      continue;
    }
    ASSERT_FALSE(read) << c.what;
    if (!c.reason) {
      EXPECT_EQ(read.error().code, ErrorCode::kMissing) << c.what;
      continue;
    }
    EXPECT_NE(read.error().code, ErrorCode::kMissing) << c.what;
    EXPECT_EQ(read.error().message, W("Не удалось прочитать ") + path + ": " + W(c.reason))
        << c.what;
  }
}

// Reads a file of 1 GiB with 512 MiB of address space: true when it is left out and the user is
// told why.
bool LeftOutAndSaid(const std::string& path) {
  const rlimit limit{std::size_t{512} << 20, std::size_t{512} << 20};
  ::setrlimit(RLIMIT_AS, &limit);
  Result<std::string> read = ReadFile(path);
  return !read && read.error().code == ErrorCode::kTooLarge &&
         read.error().message == W("Не удалось прочитать ") + path + W(": не хватает памяти");
}

// A data file larger than the memory the process may have is not read, and the program goes on.
TEST(ReadFile, AFileBeyondTheMemoryIsSaidAndLeftOut) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  testing::TempCatalogue dir;
  std::ofstream(dir.Path("huge")).close();
  std::filesystem::resize_file(dir.Path("huge"), std::size_t{1} << 30);  // sparse
  EXPECT_EXIT(std::_Exit(LeftOutAndSaid(dir.Path("huge")) ? 0 : 1), ::testing::ExitedWithCode(0),
              "");
}

// A file of megabytes is read in parts side by side: every byte lands in its place, and the
// cap still holds.
TEST(ReadFile, ALargeFileReadsWhole) {
  testing::TempCatalogue dir;
  std::string bytes;
  for (int i = 0; bytes.size() < (std::size_t{9} << 20) + 13; ++i) bytes += std::to_string(i) + "|";
  dir.WriteBytes("large", bytes);
  EXPECT_EQ(ReadFile(dir.Path("large")).value_or(""), bytes);
  EXPECT_EQ(ReadFile(dir.Path("large"), bytes.size() - 1).error().code, ErrorCode::kTooLarge);
}

// A file read on every page is said once; a missing one never.
TEST(ValueOrWarn, AFileReadOnEveryPageIsWarnedOfOnce) {
  testing::TempCatalogue dir;
  std::filesystem::create_directory(dir.Path("t.html"));
  RecordedWarnings warnings;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ValueOrWarn(ReadFile(dir.Path("t.html"))), "");
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ValueOrWarn(ReadFile(dir.Path("absent.html"))), "");
  EXPECT_EQ(warnings.texts.size(), 1u);
  ASSERT_EQ(warnings.messages.size(), 1u);  // a window shows it
  EXPECT_TRUE(warnings.messages[0].starts_with(W("Не удалось прочитать ") + dir.Path("t.html")));
}

}  // namespace
}  // namespace trubkom::common
