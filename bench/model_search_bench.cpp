// The search across brands, one key press at a time, on the large synthetic catalogue: the
// model index's 100,000 lines (40 brands; their models lists hold 175,000 rows, since a brand's
// list takes the index lines that begin with its name) and Nokia's 1,000 models priced by 200
// price lists. Beside it, in the same run, the literal definition: every model's "brand
// model", in each of the brand's spellings, lowered and searched for each word anew. Each
// prefix of the text typed is a key press; the target is one frame (16 ms) for every one of
// them. Results are checked against the literal definition before anything is timed.
// TRUBKOM_BENCH_SCALE=16 measures a catalogue 16 times as large.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/brand_list.h"
#include "catalogue/brand_spellings.h"
#include "catalogue/model_list.h"
#include "catalogue/model_search.h"
#include "common/encoding.h"
#include "common/string_ops.h"
#include "selection/model_index.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;

// What the user types, key by key: a brand of the index, a word of its models, a number.
constexpr std::string_view kTyped = "brand7 model 12";

// How many times the large catalogue: TRUBKOM_BENCH_SCALE, 1 unless told.
int Scale() {
  const char* scale = std::getenv("TRUBKOM_BENCH_SCALE");
  return scale && std::atoi(scale) > 0 ? std::atoi(scale) : 1;
}

std::string Folder() {
  return (std::filesystem::temp_directory_path() /
          ("trubkom-bench-search-" + std::to_string(Scale()) + "x"))
      .string();
}

struct BrandRows {
  std::string brand;
  std::vector<catalogue::ModelRow> rows;
};

// Every brand's models list, read once.
const std::vector<BrandRows>& Catalogue() {
  static const std::vector<BrandRows> brands = [] {
    catalogue::Folders folders{Folder(), Folder()};
    catalogue::CatalogueData data(folders.working);
    common::LineTable index = *selection::LoadModelIndex(folders.working);
    std::vector<BrandRows> all;
    for (const std::string& brand : catalogue::BrandBoxEntries(folders.working, index)) {
      all.push_back({brand, catalogue::FillModelList(folders, data, index, brand, false)});
    }
    return all;
  }();
  return brands;
}

const catalogue::ModelSearch& Search() {
  static const catalogue::ModelSearch search = [] {
    catalogue::ModelSearch made;
    for (const BrandRows& brand : Catalogue()) made.AddBrand(brand.brand, brand.rows);
    return made;
  }();
  return search;
}

// The literal definition: a model is found when "brand model", with the brand as the box shows
// it or as the brand files write it, holds every word, letter case ignored.
std::vector<std::string> LiteralFind(std::string_view typed) {
  common::StringList words = common::SplitByChar(common::Cp1251Lowered(typed), ' ');
  std::erase(words, "");
  std::vector<std::string> found;
  if (words.empty()) return found;
  for (const BrandRows& brand : Catalogue()) {
    std::string in_files = catalogue::LibraryBrand(brand.brand);
    for (const catalogue::ModelRow& row : brand.rows) {
      std::string shown = common::Cp1251Lowered(brand.brand + " " + row.model);
      std::string written = common::Cp1251Lowered(in_files + " " + row.model);
      bool all = true;
      for (const std::string& word : words) {
        all = all && (common::Contains(shown, word) || common::Contains(written, word));
      }
      if (all) found.push_back(brand.brand + " " + row.model);
    }
  }
  return found;
}

void CheckEveryKeyPress() {
  std::size_t models = 0;
  for (const BrandRows& brand : Catalogue()) models += brand.rows.size();
  // "Brand1" lists the index lines of Brand10 to Brand19 too, as the window does: 176,000 rows
  // at 1x (the index's lines and the brand's models grow with the scale).
  const std::size_t expected = 176'000 * static_cast<std::size_t>(Scale());
  if (models != expected) {
    throw std::logic_error("the catalogue lists " + std::to_string(models) + " models, not " +
                           std::to_string(expected));
  }
  for (std::size_t length = 1; length <= kTyped.size(); ++length) {
    std::vector<std::string> found;
    for (const catalogue::FoundModel& model : Search().Find(kTyped.substr(0, length))) {
      found.push_back(model.Entry());
    }
    if (found != LiteralFind(kTyped.substr(0, length))) {
      throw std::logic_error("result differs from the literal definition: " +
                             std::string(kTyped.substr(0, length)));
    }
  }
}

// One iteration: the search for what is typed after the argument's number of key presses.
void SearchPerKeyPress(benchmark::State& state) {
  std::string_view typed = kTyped.substr(0, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Search().Find(typed));
  state.SetLabel(std::string(typed));
}
BENCHMARK(SearchPerKeyPress)->DenseRange(1, int(kTyped.size()), 2)->Unit(benchmark::kMillisecond);

// The same as the window asks it: rows for the first thousand alone, and the count of all.
void SearchPerKeyPressAsListed(benchmark::State& state) {
  std::string_view typed = kTyped.substr(0, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Search().Find(typed, 1000));
  state.SetLabel(std::string(typed));
}
BENCHMARK(SearchPerKeyPressAsListed)
    ->DenseRange(1, int(kTyped.size()), 2)
    ->Unit(benchmark::kMillisecond);

// A word in the models' names of every brand but in no brand's name: each name is looked at.
void OneWordInEveryNameAsListed(benchmark::State& state) {
  static const char* const kWords[] = {"model", "1", "0"};
  const char* word = kWords[state.range(0)];
  for (auto _ : state) benchmark::DoNotOptimize(Search().Find(word, 1000));
  state.SetLabel(std::string(word) + ": " + std::to_string(Search().Find(word, 1000).total) +
                 " found");
}
BENCHMARK(OneWordInEveryNameAsListed)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void LiteralSearchPerKeyPress(benchmark::State& state) {
  std::string_view typed = kTyped.substr(0, static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(LiteralFind(typed));
  state.SetLabel(std::string(typed));
}
BENCHMARK(LiteralSearchPerKeyPress)
    ->DenseRange(1, int(kTyped.size()), 2)
    ->Unit(benchmark::kMillisecond);

// Making the search's text once per catalogue load, the models lists already read.
void MakeSearch(benchmark::State& state) {
  for (auto _ : state) {
    catalogue::ModelSearch made;
    for (const BrandRows& brand : Catalogue()) made.AddBrand(brand.brand, brand.rows);
    benchmark::DoNotOptimize(made);
  }
}
BENCHMARK(MakeSearch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const std::size_t scale = static_cast<std::size_t>(Scale());
  if (!std::filesystem::exists(Folder() + "/Base/base.tkm")) {
    trubkom::bench::WriteSyntheticCatalogue(Folder(),
                                            {1000 * scale, 200 * scale, 5000, 100000 * scale});
  }
  CheckEveryKeyPress();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
