#include "catalogue/sparse_prices.h"

namespace trubkom::catalogue {

SparsePrices::SparsePrices(const std::vector<long long>& averages)
    : offered_((averages.size() + 63) / 64, 0), offered_before_(offered_.size(), 0) {
  for (std::size_t model = 0; model < averages.size(); ++model) {
    if (model % 64 == 0) offered_before_[model / 64] = static_cast<std::uint32_t>(prices_.size());
    if (averages[model] == kNoPrice) continue;
    offered_[model / 64] |= std::uint64_t{1} << (model % 64);
    prices_.push_back(averages[model]);
  }
  prices_.shrink_to_fit();
}

}  // namespace trubkom::catalogue
