// Reading a brand file of 64,000 models (about 10 MB of XML, the brand of a catalogue sixteen
// times the large one) as the window's first page of a model does: its time against a plain
// read() of the same bytes, and the memory the parsed file holds, per byte of XML. The file is
// written, and a record checked, before anything is timed.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <filesystem>
#include <stdexcept>

#include "catalogue/catalogue_data.h"
#include "common/paths.h"
#include "plain_read.h"
#include "synthetic_catalogue.h"

namespace {

using namespace trubkom;

constexpr int kModels = 64000;

std::string Folder() {
  return (std::filesystem::temp_directory_path() / "trubkom-bench-brand-file").string();
}

std::string BrandFile() { return common::JoinPath(Folder(), "Base/nokia_new.xml"); }

void Prepare() {
  std::filesystem::remove_all(Folder());
  bench::WriteSyntheticCatalogue(Folder(), {kModels, 1, 10, 0});
  catalogue::CatalogueData data(Folder());
  if (data.GetProps2("Nokia", "N1001").rfind("N1001^GSM 900/1800^", 0) != 0) {
    throw std::logic_error("the brand file's record of N1001 is not as written");
  }
}

std::size_t AllocatedBytes() { return mallinfo2().uordblks + mallinfo2().hblkhd; }

void BM_ParseBrandFile(benchmark::State& state) {
  const double xml_bytes = static_cast<double>(std::filesystem::file_size(BrandFile()));
  double held = 0;
  for (auto _ : state) {
    catalogue::CatalogueData data(Folder());
    const std::size_t before = AllocatedBytes();
    benchmark::DoNotOptimize(data.GetProps2("Nokia", "N1001"));
    held = static_cast<double>(AllocatedBytes() - before);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * xml_bytes));
  state.counters["held_bytes_per_xml_byte"] = held / xml_bytes;
}

void BM_PlainReadOfTheFile(benchmark::State& state) {
  const std::vector<std::string> paths = {BrandFile()};
  std::string buffer;
  std::size_t bytes = 0;
  for (auto _ : state) bytes = bench::PlainRead(paths, buffer);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

BENCHMARK(BM_ParseBrandFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadOfTheFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  Prepare();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  std::filesystem::remove_all(Folder());
  return 0;
}
