// The models list and the model page of a brand of 1,000 models against 200 price lists of
// 5,000 lines each (1,000,000 price lines), beside the floor: a plain read() of the same price
// files. The catalogue is written, and the results checked against the literal definition,
// before anything is timed.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "catalogue/price_block.h"
#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/clock_random.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "plain_read.h"
#include "support/core_helpers.h"
#include "support/price_average_reference.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;

class NullBrowser : public common::Browser {
 public:
  void ShowFile(const std::string&) override {}
  void ShowAddress(const std::string&) override {}
  void Stop() override {}
};

std::string Folder() {
  return (std::filesystem::temp_directory_path() / "trubkom-bench-prices").string();
}

std::vector<std::string> PriceFiles() {
  return bench::FilesIn(common::JoinPath(Folder(), "adv/prices"), "*.prc");
}

void Check(bool holds, const std::string& what) {
  if (!holds) throw std::logic_error("result differs from the literal definition: " + what);
}

// Every 40th row's price against AveragePrice over all price lines (the literal definition
// costs a full pass per model, so the whole list would take minutes), and the rows' names.
void CheckModelList() {
  catalogue::Folders folders{Folder(), Folder()};
  catalogue::CatalogueData data(folders.working);
  std::vector<catalogue::ModelRow> rows =
      catalogue::FillModelList(folders, data, {}, "Nokia", false);
  Check(rows.size() == 1000, "the models list has 1,000 rows");
  common::StringList lines = catalogue::LoadPriceLines(Folder());
  Check(lines.size() == 1'000'400, "1,000,000 price lines and 400 shop lines");
  for (std::size_t i = 0; i < rows.size(); i += 40) {
    Check(rows[i].price == catalogue::AveragePrice(lines, "Nokia " + rows[i].model),
          "average price of " + rows[i].model);
  }
}

// The page's offer count against the lines that hold the key, counted line by line.
void CheckModelPage() {
  std::size_t literal = 0;
  std::string key = "nokia n1005^";
  for (const std::string& path : PriceFiles()) {
    common::StringList lines = common::SplitLinesAtAnyEnd(*common::ReadFile(path));
    for (const std::string& line : lines) {
      literal += common::Contains(common::AsciiLowered(line), key);
    }
  }
  catalogue::Folders folders{Folder(), Folder()};
  common::ClockRandom random;
  std::string block = catalogue::BuildPriceBlock(folders, "Nokia", "N1005", random);
  Check(block.find(common::Cp1251FromUtf8("Все цены (") + std::to_string(literal) + ")") !=
            std::string::npos,
        "offers of N1005");
}

void PlainReadOfPriceFiles(benchmark::State& state) {
  std::vector<std::string> paths = PriceFiles();
  std::string buffer;
  for (auto _ : state) benchmark::DoNotOptimize(bench::PlainRead(paths, buffer));
}
BENCHMARK(PlainReadOfPriceFiles)->Unit(benchmark::kMillisecond);

void FillModelList(benchmark::State& state) {
  catalogue::Folders folders{Folder(), Folder()};
  catalogue::CatalogueData data(folders.working);
  common::StringList index;
  for (auto _ : state) {
    benchmark::DoNotOptimize(catalogue::FillModelList(folders, data, index, "Nokia", false));
  }
}
BENCHMARK(FillModelList)->Unit(benchmark::kMillisecond);

// The price pass of a brand's list as it was, averages only, beside the same pass keeping the
// lowest and highest price and the offers too, as the models list now does: the ranges are to
// cost no more than a fifth over the averages.
common::StringList NokiaModels() {
  catalogue::CatalogueData data(Folder());
  return common::SplitCarets(data.Col2Str2("Nokia"));
}

void PricePass(benchmark::State& state, catalogue::PriceFigures figures) {
  const common::StringList models = NokiaModels();
  for (auto _ : state) {
    catalogue::BrandPrices prices("Nokia", models, figures);
    prices.AddPriceLists(Folder());
    benchmark::DoNotOptimize(prices.RangeOf(0));
  }
}
BENCHMARK_CAPTURE(PricePass, Averages, catalogue::PriceFigures::kAverages)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PricePass, AveragesAndRanges, catalogue::PriceFigures::kAveragesAndRanges)
    ->Unit(benchmark::kMillisecond);

void ModelPage(benchmark::State& state) {
  catalogue::Folders folders{Folder(), Folder()};
  catalogue::CatalogueData data(folders.working);
  common::LineTable index;
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

// A shop list that lost its line ends: "nokia 1100^" 8,000 times on one line, against the
// 1,000 models of the brand with 1100 among them; beside lowering that line.
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
    return d;
  }();
  return data;
}

void CheckLongLine() {
  const LongLine& data = OneLongLine();
  catalogue::BrandPrices prices("Nokia", data.models);
  trubkom::testing::AddPriceLine(prices, data.line);
  Check(prices.AveragePrice("1100") == catalogue::AveragePrice({data.line}, "Nokia 1100"),
        "the long line");
}

void LowerOneLongLine(benchmark::State& state) {
  const LongLine& data = OneLongLine();
  for (auto _ : state) benchmark::DoNotOptimize(common::AsciiLowered(data.line));
}
BENCHMARK(LowerOneLongLine)->Unit(benchmark::kMicrosecond);

void PricePassOverOneLongLine(benchmark::State& state) {
  const LongLine& data = OneLongLine();
  catalogue::BrandPrices prices("Nokia", data.models);
  for (auto _ : state) trubkom::testing::AddPriceLine(prices, data.line);
  benchmark::DoNotOptimize(prices.AveragePrice("1100"));
}
BENCHMARK(PricePassOverOneLongLine)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::filesystem::exists(Folder() + "/adv/prices/shop199.prc")) {
    trubkom::bench::WriteSyntheticCatalogue(Folder(), {});
  }
  CheckModelList();
  CheckModelPage();
  CheckLongLine();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
