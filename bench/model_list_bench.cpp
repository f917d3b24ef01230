// The models list and the model page of a brand of 1,000 models against 200 price lists of
// 5,000 lines each, beside the cost of reading those price lists once; and the price pass over
// one line of 8,000 offers (a shop list that lost its line ends), beside lowering that line.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <stdexcept>

#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "catalogue/price_lists.h"
#include "common/ascii.h"
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

// "nokia 1100^" 8,000 times, and the 1,000 models of the synthetic brand with 1100 among them.
struct LongLine {
  std::string line;
  common::StringList models;
};

const LongLine& OneLongLine() {
  static const LongLine data = [] {
    LongLine d;
    for (int i = 0; i < 8000; ++i) d.line += "nokia 1100^";
    for (int i = 0; i < 1000; ++i) d.models.push_back("N" + std::to_string(1000 + i));
    d.models.push_back("1100");
    catalogue::BrandPrices prices("Nokia", d.models);
    prices.AddLine(d.line);
    if (prices.AveragePrice("1100") != catalogue::AveragePrice({d.line}, "Nokia 1100")) {
      throw std::logic_error("the price pass disagrees with the literal average");
    }
    return d;
  }();
  return data;
}

void LowerOneLongLine(benchmark::State& state) {
  const LongLine& data = OneLongLine();
  for (auto _ : state) benchmark::DoNotOptimize(common::AsciiLowered(data.line));
}
BENCHMARK(LowerOneLongLine)->Unit(benchmark::kMicrosecond);

void PricePassOverOneLongLine(benchmark::State& state) {
  const LongLine& data = OneLongLine();
  catalogue::BrandPrices prices("Nokia", data.models);
  for (auto _ : state) prices.AddLine(data.line);
  benchmark::DoNotOptimize(prices.AveragePrice("1100"));
}
BENCHMARK(PricePassOverOneLongLine)->Unit(benchmark::kMicrosecond);

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
