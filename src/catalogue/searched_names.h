#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/listed_brands.h"

// A brand's model names as the search across brands keeps them: lowered, which every key press
// reads, and a bit for each byte that the list shows as a capital, from which a found row's
// name is made again as the list shows it. A name costs its lowered bytes and five more.
namespace trubkom::catalogue {

class SearchedNames {
 public:
  SearchedNames() = default;
  explicit SearchedNames(const ListedBrand& listed);

  std::size_t size() const { return starts_.size(); }
  // Every name lowered, each ended by '\n', and where each begins.
  const std::string& lowered() const { return lowered_; }
  const std::vector<std::uint32_t>& starts() const { return starts_; }
  std::string_view Lowered(std::size_t model) const {
    const std::size_t end = model + 1 < starts_.size() ? starts_[model + 1] : lowered_.size();
    return std::string_view(lowered_).substr(starts_[model], end - 1 - starts_[model]);
  }
  void ShownInto(std::size_t model, std::string& shown) const;  // as the list shows it

 private:
  std::string lowered_;
  std::vector<std::uint32_t> starts_;
  std::vector<std::uint64_t> capitals_;  // a bit a byte of lowered_
};

}  // namespace trubkom::catalogue
