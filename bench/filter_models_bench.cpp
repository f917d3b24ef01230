// One wizard step over a model index of 100,000 lines: the compiled criteria against the
// straightforward textual evaluation, with the criteria of a whole run of the wizard.
#include <benchmark/benchmark.h>

#include "common/ascii.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
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
BENCHMARK(ReadIndexEntries)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
