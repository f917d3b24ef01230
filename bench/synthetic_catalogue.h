#pragma once

#include <string>

// Large synthetic catalogues for the benchmarks: brand files, price lists and model index lines
// shaped like real ones.
namespace trubkom::bench {

struct SyntheticSize {
  int models_per_brand = 1000;
  int price_lists = 200;
  int lines_per_price_list = 5000;
  int index_lines = 0;
};

// Writes the catalogue of brand "Nokia" (and a few other brands in the price lists) to folder.
void WriteSyntheticCatalogue(const std::string& folder, const SyntheticSize& size);

// Synthetic model index lines coded against the property vocabulary.
std::string SyntheticIndexLine(unsigned seed);

}  // namespace trubkom::bench
