// A price list: the first line names a brand, the second its models ("^" between them), the
// rest are price lines. The one-pass averages must be those of the per-model definition, fed
// line by line or as lowered text.
#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/line_file.h"
#include "fuzz_support.h"
#include "support/core_helpers.h"
#include "support/price_average_reference.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto [brand, rest] = fuzz::SplitFirstLine(fuzz::AsText(data, size));
  auto [model_text, price_text] = fuzz::SplitFirstLine(rest);
  common::StringList models = common::SplitCarets(model_text);
  common::StringList lines = common::SplitLinesAtAnyEnd(price_text);

  catalogue::BrandPrices by_line(brand, models);
  for (const std::string& line : lines) trubkom::testing::AddPriceLine(by_line, line);
  catalogue::BrandPrices by_text(brand, models);
  by_text.AddLoweredText(common::AsciiLowered(price_text));

  for (const std::string& model : models) {
    std::string expected = catalogue::AveragePrice(lines, std::string(brand) + " " + model);
    fuzz::Require(by_line.AveragePrice(model) == expected, "one-pass average differs");
    fuzz::Require(by_text.AveragePrice(model) == expected, "lowered-text average differs");
  }
  return 0;
}
