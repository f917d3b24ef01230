// The models list and the model page of a brand of 1,000 models against 200 price lists of
// 5,000 lines each, beside the cost of reading those price lists once.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "catalogue/price_lists.h"
#include "common/clock_random.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;

class NullBrowser : public common::Browser {
 public:
  void ShowFile(const std::string&) override {}
  void ShowAddress(const std::string&) override {}
  void Stop() override {}
};

const std::string& Catalogue() {
  static const std::string folder = [] {
    std::string path = (std::filesystem::temp_directory_path() / "trubkom-bench-prices").string();
    if (!std::filesystem::exists(path + "/adv/prices/shop199.prc")) {
      bench::WriteSyntheticCatalogue(path, {});
    }
    return path;
  }();
  return folder;
}

void ReadPriceFilesOnce(benchmark::State& state) {
  std::string folder = common::JoinPath(Catalogue(), "adv/prices");
  for (auto _ : state) {
    std::size_t lines = 0;
    for (const std::string& name : common::ListFiles(folder, "*.prc")) {
      lines += common::ReadLinesAtAnyEnd(common::JoinPath(folder, name))->size();
    }
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(ReadPriceFilesOnce)->Unit(benchmark::kMillisecond);

void FillModelList(benchmark::State& state) {
  catalogue::Folders folders{Catalogue(), Catalogue()};
  catalogue::CatalogueData data(folders.working);
  common::StringList index;
  for (auto _ : state) {
    auto rows = catalogue::FillModelList(folders, data, index, "Nokia", false);
    benchmark::DoNotOptimize(rows);
  }
}
BENCHMARK(FillModelList)->Unit(benchmark::kMillisecond);

// The literal definition (every model's average scans every price line), for 10 of the 1,000
// models: multiply by 100 for a whole list.
void LiteralAveragesOfTenModels(benchmark::State& state) {
  common::StringList lines = catalogue::LoadPriceLines(Catalogue());
  for (auto _ : state) {
    for (int i = 0; i < 10; ++i) {
      benchmark::DoNotOptimize(
          catalogue::AveragePrice(lines, "Nokia N" + std::to_string(1000 + i)));
    }
  }
}
BENCHMARK(LiteralAveragesOfTenModels)->Unit(benchmark::kMillisecond);

void ModelPage(benchmark::State& state) {
  catalogue::Folders folders{Catalogue(), Catalogue()};
  catalogue::CatalogueData data(folders.working);
  common::StringList index;
  catalogue::Advertising adv;
  NullBrowser browser;
  common::ClockRandom random;
  catalogue::PageContext context{folders, data,    index, selection::PropertyVocabulary::Builtin(),
                                 adv,     browser, random};
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue::ShowModelPage(context, "Nokia", "N1005"));
  }
}
BENCHMARK(ModelPage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
