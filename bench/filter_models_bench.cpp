// The model index of 100,000 lines: reading it and its entries, beside the floor (a plain
// read() of base.tkm); and wizard steps over it, the compiled criteria beside the textual
// definition, for every criteria list below. The index is written, and every compiled result
// checked against the textual one, before anything is timed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "common/ascii.h"
#include "common/paths.h"
#include "plain_read.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "selection/wizard.h"
#include "support/criteria_reference.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;
using bench::kFirstAnswers;
using bench::kWideAnswers;

// Single values only, where the compiled form compares numbers.
constexpr const char* kSingleValues =
    "53(4;9;10;13;22;23;24;28;29;35;36)^!17(3;7;11)^[33(1)%37(5;6;7;8)]^";

std::string Folder() {
  return (std::filesystem::temp_directory_path() / "trubkom-bench-index").string();
}

std::string IndexPath() { return common::JoinPath(Folder(), "Base/base.tkm"); }

const selection::IndexedLines& Indexed() {
  static const selection::IndexedLines indexed(*selection::LoadModelIndex(Folder()));
  return indexed;
}

const common::LineTable& Index() { return Indexed().lines(); }

common::StringList TextualFilter(const std::string& criteria) {
  common::StringList items;
  for (std::string_view line : Index()) {
    if (!selection::MatchCriteriaList(criteria, line)) continue;
    items.push_back(std::string(selection::IndexBrand(line)) + " " +
                    std::string(selection::IndexModel(line)) + " *");
  }
  common::SortFolded(items);
  return items;
}

void Check(bool holds, const std::string& what) {
  if (!holds) throw std::logic_error("the compiled result differs from the textual one: " + what);
}

// The wizard with "Да" on page 0 and no condition on the pages up to page.
selection::WizardAnswers WizardBefore(int page) {
  selection::WizardAnswers wizard;
  for (int p = 0; p < page; ++p) {
    std::vector<bool> chosen(selection::WizardPageOf(p).answers.size(), false);
    if (p == 0) chosen[0] = true;
    wizard.CollectAnswers(p, chosen);
  }
  return wizard;
}

// The count of each answer of the page, by filtering textually with that answer chosen.
std::vector<std::size_t> TextualCounts(int page) {
  selection::WizardAnswers wizard = WizardBefore(page);
  std::size_t answers = selection::WizardPageOf(page).answers.size();
  std::vector<std::size_t> counts;
  for (std::size_t i = 0; i < answers; ++i) {
    std::vector<bool> choice(answers, false);
    choice[i] = true;
    selection::WizardAnswers chosen = wizard;
    counts.push_back(TextualFilter(chosen.CollectAnswers(page, choice)).size());
  }
  return counts;
}

std::vector<std::size_t> CompiledCounts(int page) {
  std::vector<bool> none(selection::WizardPageOf(page).answers.size(), false);
  return WizardBefore(page).AnswerCounts(page, none, Indexed());
}

const char* const kLists[] = {kFirstAnswers, kWideAnswers, kSingleValues, "48(0)^51(0)^",
                              "48(0)^15(0-29)^"};

void CheckAll() {
  for (const char* list : kLists)
    Check(selection::FilterModels(list, Indexed()) == TextualFilter(list), list);
  for (int page : {1, 11}) Check(CompiledCounts(page) == TextualCounts(page), "answer counts");
}

void PlainReadOfIndex(benchmark::State& state) {
  std::vector<std::string> paths = {IndexPath()};
  std::string buffer;
  for (auto _ : state) benchmark::DoNotOptimize(bench::PlainRead(paths, buffer));
  state.counters["MiB"] = static_cast<double>(std::filesystem::file_size(IndexPath())) / (1 << 20);
}
BENCHMARK(PlainReadOfIndex)->Unit(benchmark::kMillisecond);

void LoadModelIndex(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(selection::LoadModelIndex(Folder()));
}
BENCHMARK(LoadModelIndex)->Unit(benchmark::kMillisecond);

// From the file to the index the wizard filters with: what the window does at start, as it does
// it (index_parts:0, the entries read in as many parts side by side as there are processors),
// and with the entries read in one part.
void LoadAndIndex(benchmark::State& state) {
  const auto parts = static_cast<std::size_t>(state.range(0));
  for (auto _ : state) {
    auto indexed =
        std::make_unique<selection::IndexedLines>(*selection::LoadModelIndex(Folder()), parts);
    benchmark::DoNotOptimize(indexed);
    state.PauseTiming();  // handing the memory back is no part of building
    indexed.reset();
    state.ResumeTiming();
  }
  state.counters["MiB"] = static_cast<double>(Indexed().MemoryBytes()) / (1 << 20);
}
BENCHMARK(LoadAndIndex)->ArgName("index_parts")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void Textual(benchmark::State& state, const char* criteria) {
  for (auto _ : state) benchmark::DoNotOptimize(TextualFilter(criteria));
}

void Compiled(benchmark::State& state, const char* criteria) {
  for (auto _ : state) benchmark::DoNotOptimize(selection::FilterModels(criteria, Indexed()));
  state.counters["matches"] =
      static_cast<double>(selection::FilterModels(criteria, Indexed()).size());
}

void TextualAnswerCounts(benchmark::State& state, int page) {
  for (auto _ : state) benchmark::DoNotOptimize(TextualCounts(page));
}

void AnswerCounts(benchmark::State& state, int page) {
  for (auto _ : state) benchmark::DoNotOptimize(CompiledCounts(page));
}

BENCHMARK_CAPTURE(Textual, first_answers, kFirstAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, first_answers, kFirstAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Textual, wide_answers, kWideAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, wide_answers, kWideAnswers)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Textual, single_values, kSingleValues)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, single_values, kSingleValues)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Textual, page_1_step, "48(0)^51(0)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, page_1_step, "48(0)^51(0)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Textual, page_11_step, "48(0)^15(0-29)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compiled, page_11_step, "48(0)^15(0-29)^")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TextualAnswerCounts, page_1_counts, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnswerCounts, page_1_counts, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TextualAnswerCounts, page_11_counts, 11)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(AnswerCounts, page_11_counts, 11)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::filesystem::exists(IndexPath())) {
    trubkom::bench::WriteSyntheticCatalogue(Folder(), {1, 0, 0, 100000});
  }
  Indexed();
  CheckAll();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
