// One wizard step over a model index of 100,000 lines: the compiled criteria against the
// straightforward textual evaluation, with the criteria of a whole run of the wizard.
#include <benchmark/benchmark.h>

#include "common/ascii.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "selection/wizard.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;

// The first answer of every page.
constexpr const char* kFirstAnswers =
    "48(0)^51(0)^53(2-36)^52(0-17;20)^26(5-14)^18(18-22;27-42;47-56)^"
    "26(0;2;4;6;8;10;11;13;14;16;17)^12(0-123)^2(0)^6(1-4)^6(0-2)^"
    "[33(22;42)%37(200;277-284;312;333;426;428;429;464;488;489;492;496;510;551)]^";
// The answers a cautious user gives: mostly "no" and wide ranges, so most lines go far.
constexpr const char* kWideAnswers =
    "!48(0)^12(0-125)^53(0-36)^52(0-21)^18(0-60)^!2(0)^6(0-5)^55(0-43)^7(0-115)^43(0-728)^";

const common::StringList& Index() {
  static const common::StringList lines = [] {
    common::StringList index;
    for (unsigned i = 0; i < 100000; ++i) index.push_back(bench::SyntheticIndexLine(i));
    return index;
  }();
  return lines;
}

common::StringList TextualFilter(const std::string& criteria, const common::StringList& index) {
  common::StringList items;
  for (const std::string& line : index) {
    if (!selection::MatchCriteriaList(criteria, line)) continue;
    items.push_back(std::string(selection::IndexBrand(line)) + " " +
                    std::string(selection::IndexModel(line)) + " *");
  }
  common::SortFolded(items);
  return items;
}

void Textual(benchmark::State& state, const char* criteria) {
  for (auto _ : state) benchmark::DoNotOptimize(TextualFilter(criteria, Index()));
}

void Compiled(benchmark::State& state, const char* criteria) {
  selection::IndexedLines indexed(Index());  // read once per load of the index
  if (selection::FilterModels(criteria, indexed) != TextualFilter(criteria, Index())) {
    state.SkipWithError("the two evaluations disagree");
  }
  for (auto _ : state) benchmark::DoNotOptimize(selection::FilterModels(criteria, indexed));
  state.counters["matches"] =
      static_cast<double>(selection::FilterModels(criteria, indexed).size());
}

// The numbers beside the answers of a page after "Да" on page 0: the seven of page 1, and the
// seven boxes of page 11. Each is checked against filtering with that answer before timing.
void AnswerCounts(benchmark::State& state, int page) {
  selection::IndexedLines indexed(Index());
  selection::WizardAnswers wizard;
  for (int p = 0; p < page; ++p) {
    std::vector<bool> chosen(selection::LayoutWizardPage(p).answers.size(), false);
    if (p == 0) chosen[0] = true;  // "Да", then no condition on the pages between
    wizard.CollectAnswers(p, chosen);
  }
  std::size_t answers = selection::LayoutWizardPage(page).answers.size();
  std::vector<bool> none(answers, false);
  std::vector<std::size_t> counts = wizard.AnswerCounts(page, none, indexed);
  for (std::size_t i = 0; i < answers; ++i) {
    std::vector<bool> choice(answers, false);
    choice[i] = true;
    selection::WizardAnswers chosen = wizard;
    if (counts[i] != selection::FilterModels(chosen.CollectAnswers(page, choice), indexed).size()) {
      state.SkipWithError("a count disagrees with filtering");
    }
  }
  for (auto _ : state) benchmark::DoNotOptimize(wizard.AnswerCounts(page, none, indexed));
  state.counters["answers"] = static_cast<double>(answers);
}

// One step of the wizard with the same earlier answers, for comparison with the counts.
void OneStep(benchmark::State& state, const char* criteria) {
  selection::IndexedLines indexed(Index());
  for (auto _ : state) benchmark::DoNotOptimize(selection::FilterModels(criteria, indexed));
}

void ReadIndexEntries(benchmark::State& state) {
  for (auto _ : state) {
    selection::IndexedLines indexed(Index());
    benchmark::DoNotOptimize(indexed);
  }
}

BENCHMARK_CAPTURE(Textual, first_answers, kFirstAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, first_answers, kFirstAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Textual, wide_answers, kWideAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, wide_answers, kWideAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OneStep, page_1_step, "48(0)^51(0)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnswerCounts, page_1_counts, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(OneStep, page_11_step, "48(0)^15(0-29)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnswerCounts, page_11_counts, 11)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadIndexEntries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
