#include "selection/wizard.h"

#include <gtest/gtest.h>

#include <random>

#include "common/line_file.h"
#include "selection/questions.h"
#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

using testing::W;

TEST(Questions, TableTexts) {
  ASSERT_EQ(kQuestionTable.size(), 13u);
  EXPECT_EQ(kQuestionTable[0].question, "Должен ли это быть смартфон?");
  std::size_t lid = kQuestionTable[1].answers.find(" откидной крышкой");
  ASSERT_NE(lid, std::string_view::npos);
  EXPECT_EQ(kQuestionTable[1].answers[lid - 1], 'C');  // a Latin capital C
  EXPECT_EQ(kQuestionTable[11].kind, "checkbox");
  for (std::size_t page = 0; page < 13; ++page) {
    if (page != 11) {
      EXPECT_EQ(kQuestionTable[page].kind, "radiobox") << page;
    }
    EXPECT_EQ(common::SplitCarets(kQuestionTable[page].answers).size(),
              common::SplitCarets(kQuestionTable[page].criteria).size())
        << page;
  }
}

struct PageCase {
  int page;
  std::string question;  // UTF-8
  bool check_boxes;
  std::size_t answers;
  std::size_t answer;   // one answer to look at, when there are any
  std::string caption;  // its caption, UTF-8
};

TEST(WizardPage, QuestionAndAnswersOfEachPage) {
  const PageCase cases[] = {
      {0, "Должен ли это быть смартфон?", false, 3, 0, "Да"},
      {1, "Какой тип корпуса вы хотите?", false, 7, 3, "C откидной крышкой"},
      {2, "Какой тип дисплея вы предпочитаете?", false, 5, 4, "Все равно"},  // no final "^"
      {11, "Выберите необходимые вам дополнительные функции.", true, 7, 6, "Календарь"},
      {12, std::string(kQuestionTable[12].question), false, 0, 0, ""},
      {-1, "Должен ли это быть смартфон?", false, 3, 2, "Пока не знаю"},  // the nearest page
      {13, std::string(kQuestionTable[12].question), false, 0, 0, ""},
  };
  for (const PageCase& c : cases) {
    WizardPage page = WizardPageOf(c.page);
    EXPECT_EQ(page.question, W(c.question)) << c.page;
    EXPECT_EQ(page.check_boxes, c.check_boxes) << c.page;
    ASSERT_EQ(page.answers.size(), c.answers) << c.page;
    for (std::size_t i = 0; i < page.answers.size(); ++i) {
      EXPECT_EQ(page.answers[i].index, i) << c.page;  // the table has no empty captions
    }
    if (c.answers > 0) {
      EXPECT_EQ(page.answers[c.answer].caption, W(c.caption)) << c.page;
    }
  }
}

TEST(WizardAnswers, CriteriaOfAllPagesAreJoined) {
  WizardAnswers wizard;
  EXPECT_EQ(wizard.CollectAnswers(0, {true, false, false}), "48(0)^");
  EXPECT_EQ(wizard.CollectAnswers(1, {false, false, false, false, false, false, true}), "48(0)^");
  EXPECT_EQ(wizard.CollectAnswers(2, {false, true, false, false, false}),
            "48(0)^53(4;9;10;13;22;23;24;28;29;35;36)^");
  EXPECT_EQ(wizard.answer_history(),
            (common::StringList{"48(0)^", "", "53(4;9;10;13;22;23;24;28;29;35;36)^"}));
  wizard.Clear();
  EXPECT_EQ(wizard.CollectAnswers(0, {false, false, true}), "");
  EXPECT_EQ(wizard.answer_history(), common::StringList{""});
}

TEST(WizardAnswers, CheckBoxPageAddsEveryCheckedCriterion) {
  WizardAnswers wizard;
  std::vector<bool> none(3, false);
  for (int page = 0; page < 11; ++page) wizard.CollectAnswers(page, none);
  EXPECT_EQ(wizard.CollectAnswers(11, {false, true, false, false, false, true, false}),
            "15(0-29)^36(0-10)^");
  EXPECT_EQ(wizard.CollectAnswers(12, {}), "15(0-29)^36(0-10)^");
}

// Every answer's count is the length of the result list that choosing it would give, on every
// page, with and without answers checked, after steps that leave models and steps that do not.
TEST(WizardAnswers, AnswerCountsAgreeWithFilteringAfterTheChoice) {
  std::mt19937 random(7);
  common::StringList lines;
  for (int i = 0; i < 400; ++i) {
    std::string line = "Brand|M" + std::to_string(i);
    for (int property : {2, 6, 12, 13, 15, 18, 26, 33, 36, 37, 48, 51, 52, 53, 54}) {
      if (random() % 5 != 0)
        line += "|" + std::to_string(property) + "(" + std::to_string(random() % 130) + ")";
    }
    lines.push_back(line);
  }
  IndexedLines index(lines);
  // The window's index: heads and the wizard's entries alone, read from the file in pieces.
  testing::TempCatalogue cat;
  cat.WriteBytes("base.tkm", common::JoinWithCrLf(lines));
  IndexedLines heads = IndexedLines::ReadHeads(
      *common::LinePieces::Open(cat.root() + "/base.tkm", 997), WizardProperties());
  for (int run = 0; run < 30; ++run) {
    WizardAnswers wizard;
    for (int page = 0; page <= kLastWizardPage; ++page) {
      std::size_t answers = WizardPageOf(page).answers.size();
      std::vector<bool> checked(answers, false);
      for (std::size_t i = 0; i < answers; ++i) checked[i] = random() % 4 == 0;
      std::vector<std::size_t> counts = wizard.AnswerCounts(page, checked, index);
      ASSERT_EQ(counts.size(), answers);
      ASSERT_EQ(wizard.AnswerCounts(page, checked, heads), counts) << "run " << run;
      for (std::size_t i = 0; i < answers; ++i) {
        std::vector<bool> choice = checked;
        if (!WizardPageOf(page).check_boxes) choice.assign(answers, false);
        choice[i] = true;
        WizardAnswers chosen = wizard;
        const std::string& criteria = chosen.CollectAnswers(page, choice);
        EXPECT_EQ(counts[i], FilterModels(criteria, index).size())
            << "run " << run << " page " << page << " answer " << i;
        EXPECT_EQ(FilterModels(criteria, heads), FilterModels(criteria, index)) << criteria;
      }
      std::vector<bool> radio_choice(answers, false);
      if (answers > 0) radio_choice[random() % answers] = true;
      wizard.CollectAnswers(page, WizardPageOf(page).check_boxes ? checked : radio_choice);
    }
  }
}

}  // namespace
}  // namespace trubkom::selection
