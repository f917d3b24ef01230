#include "selection/criteria.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "common/encoding.h"
#include "common/line_file.h"
#include "selection/questions.h"
#include "support/criteria_reference.h"
#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

struct CriterionCase {
  const char* criterion;
  const char* line;
  bool holds;
};

const CriterionCase kCases[] = {
    {"48(0)", "X|Y|48(0)|", true},
    {"48(0)", "X|Y|53(2)|", false},
    {"!48(0)", "X|Y|53(2)|", true},
    {"!48(0)", "X|Y|48(0)|", false},
    {"26(0-4;15-17)", "X|Y|26(16)", true},
    {"26(0-4;15-17)", "X|Y|26(5)", false},
    {"!26(0-4;15-17)", "X|Y|26(5)", true},
    {"5(5-2)", "X|Y|5(3)|5(5)|5(2)", false},
    {"!5(5-2)", "X|Y|5(3)", true},
    {"[33(21)%37(183;280-281)]", "X|Y|37(281)|", true},
    {"[33(21)%37(183;280-281)]", "X|Y|37(282)|", false},
    {"[33(21)%37(183;280-281)]", "X|Y|33(21)|", true},
    {"53(04)", "X|Y|53(4)|", false},
    {"53(4)", "X|Y|53(04)|", false},
    {"53(0-10)", "X|Y|53(04)|", false},
    {"26(16)", "X|Y|26(5)|26(16)", true},
    {"12(0-123)", "X|Y|53(1)", false},
    {"!12(0-123)", "X|Y|53(1)", true},
    {"!26(5;16)", "X|Y|26(5)|26(16)", false},
    {"!26(5;17)", "X|Y|26(5)|26(16)", true},  // negation applies to each item alone
    {"2(0)", "X|Y|12(0)|", false},            // "|2(" is not inside "|12("
    {"2(0)", "X|Y|2(0)", true},
    {"2(0)", "X|Y|2(0", false},
    {"2(0)", "X|2(0)|", true},       // the text is searched wherever it stands
    {"2()", "X|Y|2()", false},       // an empty item list holds for nothing
    {"2(-1--3)", "X|Y|2(0)", true},  // the bounds are "" (0) and "1--3" (1)
    {"2(-3-1)", "X|Y|2(3)", true},   // the bounds are "" (0) and "3-1" (3)
    {"2(-3-1)", "X|Y|2(4)", false},
    {"48(0)", "", false},
    // Malformed criteria.
    {"48", "X|Y|48(0)", false},       // no item list
    {"!48", "X|Y|53(0)", true},       // absent property, negated
    {"48(0", "X|Y|48(0)", true},      // the items run to the end
    {"[48(0)", "X|Y|48(0)", true},    // the last character is dropped: "48(0"
    {"[48(0)]x", "X|Y|48(0)", true},  // "48(0)]": the item is "0" all the same
    {"[48(1)]x", "X|Y|48(0)", false},
    {"[48(0)%", "X|Y|48(0)", true},
    {"[", "X|Y|48(0)", false},
    {"(0)", "X|Y|(0)", true},  // an empty head is property ""
    {"!(0)", "X|Y|48(0)", true},
    {"4 8(0)", "X|Y|4 8(0)", true},
    {"4)8(0)", "X|Y|4)8(0)", true},
    {"48)(0)", "X|Y|48)(0)", true},
};

TEST(MatchCriterion, Table) {
  for (const CriterionCase& c : kCases) {
    EXPECT_EQ(MatchCriterion(c.criterion, c.line), c.holds) << c.criterion << " on " << c.line;
  }
}

TEST(CompiledCriteria, AgreesWithTheTable) {
  for (const CriterionCase& c : kCases) {
    // The next line would close an entry cut short by the end of the line, were lines not kept
    // apart.
    common::StringList lines = {c.line, ")|Z|1(1)|2(2)|3(3)|4(4)"};
    IndexedLines index(lines);
    EXPECT_EQ(HasLine(CompiledCriteria(c.criterion, index).MatchingLines(), 0), c.holds)
        << c.criterion << " on " << c.line;
  }
}

// "Пока не знаю" sets no condition: its empty criterion, like a list without any, keeps every
// line.
TEST(MatchCriteriaList, EmptyEntriesAreNoConditionAndAnEmptyListKeepsEveryLine) {
  struct Case {
    const char* list;
    const char* line;
    bool matches;
  };
  const Case cases[] = {
      {"48(0)^^", "X|Y|48(0)", true},
      {"48(0)^^", "X|Y|48(1)", false},
      {"", "X|Y|48(0)", true},
      {"^", "X|Y|48(0)", true},
      {"^^^", "X|Y|", true},
      {"48(0)^2(0)", "X|Y|48(0)", false},
      {"48(0)^!2(0)^", "X|Y|48(0)", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MatchCriteriaList(c.list, c.line), c.matches) << c.list;
    common::StringList lines = {c.line};
    IndexedLines index(lines);
    EXPECT_EQ(HasLine(CompiledCriteria(c.list, index).MatchingLines(), 0), c.matches) << c.list;
  }
}

// The compiled evaluation must answer exactly as the textual one, malformed lines and criteria
// included.
TEST(CompiledCriteria, AgreesWithTheTextualMeaningOnRandomInput) {
  std::mt19937 random(20061231);
  auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
  // Values as numbers compare them: leading zeros, signs, "-0", numbers at and beyond 2^31 and
  // beyond what reading a number keeps must all still compare as text does. (A single value
  // with "-" is a range, probed value by value: no large negative numbers here.)
  const char* const kOddNumbers[] = {"00",
                                     "-0",
                                     "+3",
                                     "007",
                                     "2147483647",
                                     "2147483648",
                                     "4294967295",
                                     "4294967296",
                                     "99999999999999999999",
                                     "999999999999999999",
                                     "12345678",
                                     "99999999",
                                     "100000000",
                                     "1000000000000000000"};
  auto number = [&](bool odd) -> std::string {
    switch (below(odd ? 10 : 9)) {
      case 0:
        return "0" + std::to_string(below(5));
      case 1:
        return "-" + std::to_string(below(4));
      case 2:
        return "";
      case 3:
        return std::to_string(below(3)) + "x";
      case 9:
        return kOddNumbers[below(static_cast<int>(std::size(kOddNumbers)))];
      default:
        return std::to_string(below(12));
    }
  };
  auto property = [&]() -> std::string {
    switch (below(11)) {
      case 0:
        return "";
      case 1:
        return "0" + std::to_string(below(3));
      case 2:
        return "a";
      case 3:
        return std::to_string(998 + below(4));  // the last small ones, and the first beyond
      default:
        return std::to_string(below(6));
    }
  };
  auto line = [&] {
    std::string text = below(10) ? "B" : below(2) ? "B|2(1)" : "7)";  // odd brands
    text += below(10) ? "|M" : "|M 4(";
    for (int n = below(8); n > 0; --n) {
      text += "|" + property() + (below(12) ? "(" : "") + number(true) + (below(12) ? ")" : "");
    }
    if (below(4) == 0) text += "|";
    return text;
  };
  // Ranges are probed value by value textually, so their odd bounds lie close together.
  const char* const kOddRanges[] = {"2147483646-2147483648", "4294967295-4294967296",
                                    "999999999999999998-999999999999999999", "+2-3", "007-8"};
  auto item = [&]() -> std::string {
    if (below(2)) return number(true);
    if (below(6) == 0) return kOddRanges[below(static_cast<int>(std::size(kOddRanges)))];
    return number(false) + "-" + number(false);
  };
  auto alternative = [&] {
    std::string text = (below(4) == 0 ? "!" : "") + property();
    if (below(6)) text += "(";
    for (int n = below(4); n > 0; --n) text += item() + (n > 1 || below(5) == 0 ? ";" : "");
    if (below(6)) text += ")";
    if (below(10) == 0) text += "tail";
    return text;
  };
  auto criterion = [&] {
    if (below(3)) return alternative();
    std::string text = "[";
    for (int n = below(4); n > 0; --n) text += alternative() + (n > 1 ? "%" : "");
    return below(8) ? text + "]" : text;
  };

  for (int round = 0; round < 400; ++round) {
    common::StringList lines;
    for (int i = 0; i < 50; ++i) lines.push_back(line());
    // Read in one to four parts, joined after; the lines kept one after another, or as a file's
    // lines ended at CR.
    const auto parts = static_cast<std::size_t>(1 + round % 4);
    IndexedLines index =
        round % 2 ? IndexedLines(lines, parts)
                  : IndexedLines(common::LineTable::SplitAtCr(common::JoinWithCrLf(lines)), parts);
    // Every tenth round the lines are also read from a file in pieces: of a few bytes, or whole,
    // where the entries of the criteria's properties are told from the rest many at a time.
    testing::TempCatalogue file;
    std::optional<common::LinePieces> pieces;
    if (round % 10 == 0) {
      file.WriteBytes("base.tkm", common::JoinWithCrLf(lines));
      pieces.emplace(
          *common::LinePieces::Open(file.root() + "/base.tkm",
                                    round % 20 ? common::LinePieces::kPieceBytes : 1 + round % 97));
    }
    for (int c = 0; c < 10; ++c) {
      std::string list;
      for (int n = below(4); n >= 0; --n) list += (below(5) ? criterion() : "") + "^";
      if (pieces) {
        ASSERT_EQ(FilterModels(list, *pieces), FilterModels(list, index)) << list;
      }
      CompiledCriteria compiled(list, index);
      LineSet all = compiled.MatchingLines();
      for (std::size_t i = 0; i < lines.size(); ++i) {
        bool textual = MatchCriteriaList(list, lines[i]);
        ASSERT_EQ(HasLine(all, i), textual) << "criteria " << list << " on " << lines[i];
        ASSERT_EQ(((all[i / 64] >> (i % 64)) & 1) != 0, textual)
            << "all lines at once: criteria " << list << " on " << lines[i];
      }
    }
  }
}

// The wizard's counts on its page of check boxes, where every answer can leave models: with the
// answers of earlier pages, with a box of the page already checked, and with no answer yet.
TEST(CountMatchesWithEach, CountsEveryAnswerOfTheCheckBoxPage) {
  const Question& page = kQuestionTable[11];
  ASSERT_EQ(page.kind, "checkbox");
  const common::StringList extras = common::SplitCarets(page.criteria);
  ASSERT_EQ(extras.size(), 7u);
  const common::StringList lines = {
      "A|1|48(0)|33(22)|15(10)|54(2)|13(0)|36(5)",
      "A|2|48(0)|37(280)|15(40)|54(1)|13(1)|36(11)",
      "A|3|48(0)|37(200)|15(29)|54(0)|36(10)|33(21)",
      "A|4|48(1)|33(42)|15(0)|54(5)|13(0)|36(0)",
      "A|5|48(0)|15(5)|54(3)|37(183)",
  };
  IndexedLines index(lines);
  struct Case {
    const char* base;
    std::vector<std::size_t> counts;
  };
  const Case cases[] = {
      {"48(0)^", {3, 3, 2, 3, 1, 2, 3}},
      {"48(0)^15(0-29)^", {2, 3, 2, 2, 1, 2, 2}},
      {"", {4, 4, 3, 3, 2, 3, 3}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountMatchesWithEach(c.base, extras, index), c.counts) << c.base;
  }
}

// The first page's "Пока не знаю" sets no condition: its count is that of the models the
// answers so far keep, every model before any answer.
TEST(CountMatchesWithEach, AnAnswerWithoutConditionCountsWhatTheBaseKeeps) {
  const common::StringList extras = common::SplitCarets(kQuestionTable[0].criteria);
  ASSERT_EQ(extras, (common::StringList{"48(0)", "!48(0)", ""}));
  const common::StringList lines = {"A|1|48(0)|51(0)", "A|2|48(1)|51(2)", "A|3|51(0)",
                                    "A|4|48(0)|51(2)"};
  IndexedLines index(lines);
  struct Case {
    const char* base;
    std::vector<std::size_t> counts;
  };
  const Case cases[] = {
      {"", {2, 2, 4}},
      {"^", {2, 2, 4}},
      {"51(0)^", {1, 1, 2}},
      {"51(9)^", {0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<std::size_t> counts = CountMatchesWithEach(c.base, extras, index);
    EXPECT_EQ(counts, c.counts) << c.base;
    for (std::size_t i = 0; i < extras.size(); ++i) {
      EXPECT_EQ(counts[i], FilterModels(c.base + extras[i] + "^", index).size()) << c.base << i;
    }
  }
}

TEST(FilterModels, ItemsAreSortedWithAsciiLettersFolded) {
  common::StringList lines = {"Nokia|6230|48(0)",   common::Cp1251FromUtf8("Жук|1|48(0)"),
                              "alcatel|OT 5|48(0)", "Nokia|3310|48(1)",
                              "Nokia|6230|48(0)|",  "3com|X|48(0)"};
  IndexedLines index(lines);
  EXPECT_EQ(FilterModels("48(0)^", index),
            (common::StringList{"3com X *", "alcatel OT 5 *", "Nokia 6230 *", "Nokia 6230 *",
                                common::Cp1251FromUtf8("Жук 1 *")}));
  EXPECT_EQ(FilterModels("", index).size(), lines.size());
  EXPECT_EQ(FilterModels("^", index).size(), lines.size());
}

}  // namespace
}  // namespace trubkom::selection
