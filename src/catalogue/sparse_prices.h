#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "catalogue/listed_brands.h"

// The average prices of a long list of models of which few are offered, as the search across
// brands keeps them: a bit a model, and a price for each model that has one. Most models of a
// large catalogue are described but offered by no shop.
namespace trubkom::catalogue {

class SparsePrices {
 public:
  SparsePrices() = default;
  explicit SparsePrices(const std::vector<long long>& averages);  // kNoPrice for none

  long long Of(std::size_t model) const {
    const std::uint64_t word = offered_[model / 64];
    const std::uint64_t below = word & ((std::uint64_t{1} << (model % 64)) - 1);
    if ((word >> (model % 64) & 1) == 0) return kNoPrice;
    return prices_[offered_before_[model / 64] + static_cast<std::size_t>(std::popcount(below))];
  }

 private:
  std::vector<std::uint64_t> offered_;         // a bit a model
  std::vector<std::uint32_t> offered_before_;  // by word of offered_: the models offered before it
  std::vector<long long> prices_;              // of the offered models, in order
};

}  // namespace trubkom::catalogue
