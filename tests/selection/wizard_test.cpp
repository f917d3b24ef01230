#include "selection/wizard.h"

#include <gtest/gtest.h>

#include <random>

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

TEST(WizardLayout, AnswersStandBelowTheQuestionAndMoveTheButtons) {
  WizardPageLayout first = LayoutWizardPage(0);
  EXPECT_EQ(first.question, W("Должен ли это быть смартфон?"));
  EXPECT_FALSE(first.check_boxes);
  ASSERT_EQ(first.answers.size(), 3u);
  EXPECT_EQ(first.answers[0].caption, W("Да"));
  EXPECT_EQ(first.answers[0].top, 89);
  EXPECT_EQ(first.answers[2].top, 121);
  EXPECT_EQ(first.buttons_top, 151);
  EXPECT_EQ(first.count_label_top, 175);
  EXPECT_EQ(first.panel_height, 190);

  EXPECT_EQ(LayoutWizardPage(1).answers.size(), 7u);
  EXPECT_EQ(LayoutWizardPage(1).answers[3].caption, W("C откидной крышкой"));
  EXPECT_TRUE(LayoutWizardPage(11).check_boxes);
  EXPECT_EQ(LayoutWizardPage(2).answers.size(), 5u);

  WizardPageLayout last = LayoutWizardPage(12);
  EXPECT_TRUE(last.answers.empty());
  EXPECT_EQ(last.buttons_top, 97);  // 12 pixels below the question label
  EXPECT_EQ(last.count_label_top, 121);
  EXPECT_EQ(last.panel_height, 136);
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
      if (random() % 5 != 0) line += "|" + std::to_string(property) + "(" +
                                     std::to_string(random() % 130) + ")";
    }
    lines.push_back(line);
  }
  IndexedLines index(lines);
  for (int run = 0; run < 30; ++run) {
    WizardAnswers wizard;
    for (int page = 0; page <= kLastWizardPage; ++page) {
      std::size_t answers = LayoutWizardPage(page).answers.size();
      std::vector<bool> checked(answers, false);
      for (std::size_t i = 0; i < answers; ++i) checked[i] = random() % 4 == 0;
      std::vector<std::size_t> counts = wizard.AnswerCounts(page, checked, index);
      ASSERT_EQ(counts.size(), answers);
      for (std::size_t i = 0; i < answers; ++i) {
        std::vector<bool> choice = checked;
        if (!LayoutWizardPage(page).check_boxes) choice.assign(answers, false);
        choice[i] = true;
        WizardAnswers chosen = wizard;
        EXPECT_EQ(counts[i], FilterModels(chosen.CollectAnswers(page, choice), index).size())
            << "run " << run << " page " << page << " answer " << i;
      }
      std::vector<bool> radio_choice(answers, false);
      if (answers > 0) radio_choice[random() % answers] = true;
      wizard.CollectAnswers(page, LayoutWizardPage(page).check_boxes ? checked : radio_choice);
    }
  }
}

}  // namespace
}  // namespace trubkom::selection
