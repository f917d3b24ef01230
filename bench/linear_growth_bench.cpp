// Each step that grows with the catalogue, at 1, 2, 4 and 8 times its input: the models list
// (library models, described models of the brand and price lines all scaled), the brand box,
// the index load and a wizard step. Linear growth shows as times in proportion 1:2:4:8. All
// data is written, and each result checked, before anything is timed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <stdexcept>

#include "catalogue/brand_list.h"
#include "catalogue/model_list.h"
#include "common/ascii.h"
#include "common/paths.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "support/criteria_reference.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;
using bench::kFirstAnswers;
using bench::kWideAnswers;

constexpr int kScales[] = {1, 2, 4, 8};

std::string Folder(int scale) {
  return (std::filesystem::temp_directory_path() /
          ("trubkom-bench-growth-" + std::to_string(scale)))
      .string();
}

// At scale k: 1,000 k library models, 20 k price lists of 5,000 lines and 12,500 k index
// lines (all of other brands).
void WriteCatalogue(int k) {
  if (std::filesystem::exists(Folder(k) + "/Base/base.tkm")) return;
  bench::WriteSyntheticCatalogue(Folder(k), {1000 * k, 20 * k, 5000, 12500 * k});
}

// 10,000 k described models of the brand: the first 1,000 k stand for library models.
common::StringList DescribedNokia(int k) {
  common::StringList lines;
  for (int j = 0; j < 10000 * k; ++j) lines.push_back("Nokia|N" + std::to_string(1000 + j) + "|");
  return lines;
}

// 100,000 k index lines of 10,000 k brands.
common::StringList ManyBrands(int k) {
  common::StringList lines;
  for (int j = 0; j < 100000 * k; ++j) {
    lines.push_back("Brand" + std::to_string(j % (10000 * k)) + "|M" + std::to_string(j) + "|");
  }
  return lines;
}

struct Inputs {
  common::LineTable described, brands;
  selection::IndexedLines index;
};

std::map<int, Inputs>& AllInputs() {
  static std::map<int, Inputs> inputs;
  return inputs;
}

void Check(bool holds, const std::string& what) {
  if (!holds) throw std::logic_error("unexpected result: " + what);
}

common::StringList TextualFilter(const char* criteria, const common::LineTable& index) {
  common::StringList items;
  for (std::string_view line : index) {
    if (!selection::MatchCriteriaList(criteria, line)) continue;
    items.push_back(std::string(selection::IndexBrand(line)) + " " +
                    std::string(selection::IndexModel(line)) + " *");
  }
  common::SortFolded(items);
  return items;
}

void Prepare(int k) {
  WriteCatalogue(k);
  Inputs& in = AllInputs()[k];
  in.described = DescribedNokia(k);
  in.brands = ManyBrands(k);
  in.index = selection::IndexedLines(*selection::LoadModelIndex(Folder(k)));
  // Library model i is "N(1000+i)", with "i" after it when i is a multiple of 7; the described
  // N(1000+j) take the place of the library's model j unless j is such a multiple.
  int replaced = 0;
  for (int j = 0; j < 1000 * k; ++j) replaced += j % 7 != 0;
  catalogue::Folders folders{Folder(k), Folder(k)};
  catalogue::CatalogueData data(folders.working);
  Check(catalogue::FillModelList(folders, data, in.described, "Nokia", false).size() ==
            static_cast<std::size_t>(1000 * k + 10000 * k - replaced),
        "models list rows");
  Check(catalogue::BuildBrandList({}, in.brands).size() == static_cast<std::size_t>(10000 * k),
        "brand box entries");
  Check(in.index.lines().size() == static_cast<std::size_t>(12500 * k), "index lines");
  for (const char* list : {kFirstAnswers, kWideAnswers}) {
    Check(selection::FilterModels(list, in.index) == TextualFilter(list, in.index.lines()), list);
  }
}

void ModelList(benchmark::State& state) {
  int k = static_cast<int>(state.range(0));
  catalogue::Folders folders{Folder(k), Folder(k)};
  catalogue::CatalogueData data(folders.working);
  const common::LineTable& described = AllInputs()[k].described;
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue::FillModelList(folders, data, described, "Nokia", false));
  }
}

void BrandBox(benchmark::State& state) {
  const common::LineTable& lines = AllInputs()[static_cast<int>(state.range(0))].brands;
  for (auto _ : state) benchmark::DoNotOptimize(catalogue::BuildBrandList({}, lines));
}

void IndexLoad(benchmark::State& state) {
  std::string folder = Folder(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    selection::IndexedLines indexed(*selection::LoadModelIndex(folder));
    benchmark::DoNotOptimize(indexed);
  }
}

void WizardStep(benchmark::State& state, const char* criteria) {
  const selection::IndexedLines& indexed = AllInputs()[static_cast<int>(state.range(0))].index;
  for (auto _ : state) benchmark::DoNotOptimize(selection::FilterModels(criteria, indexed));
}

void AtEveryScale(benchmark::internal::Benchmark* b) {
  for (int k : kScales) b->Arg(k);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(ModelList)->Apply(AtEveryScale);
BENCHMARK(BrandBox)->Apply(AtEveryScale);
BENCHMARK(IndexLoad)->Apply(AtEveryScale);
BENCHMARK_CAPTURE(WizardStep, first_answers, kFirstAnswers)->Apply(AtEveryScale);
BENCHMARK_CAPTURE(WizardStep, wide_answers, kWideAnswers)->Apply(AtEveryScale);

}  // namespace

int main(int argc, char** argv) {
  for (int k : kScales) Prepare(k);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
