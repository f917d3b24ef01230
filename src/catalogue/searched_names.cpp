#include "catalogue/searched_names.h"

#include "common/encoding.h"

namespace trubkom::catalogue {

SearchedNames::SearchedNames(const ListedBrand& listed)
    : lowered_(common::Cp1251Lowered(listed.models)),  // a byte for a byte, at the same places
      starts_(listed.starts),
      capitals_((listed.models.size() + 63) / 64, 0) {
  for (std::size_t at = 0; at < lowered_.size(); ++at) {
    if (lowered_[at] != listed.models[at]) capitals_[at / 64] |= std::uint64_t{1} << (at % 64);
  }
}

void SearchedNames::ShownInto(std::size_t model, std::string& shown) const {
  shown.assign(Lowered(model));
  for (std::size_t i = 0, at = starts_[model]; i < shown.size(); ++i, ++at) {
    if (capitals_[at / 64] >> (at % 64) & 1) shown[i] = common::Cp1251Capital(shown[i]);
  }
}

}  // namespace trubkom::catalogue
