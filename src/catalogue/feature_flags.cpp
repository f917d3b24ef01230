#include "catalogue/feature_flags.h"

#include <vector>

#include "common/encoding.h"

namespace trubkom::catalogue {

const std::string& FeatureName(std::size_t k) {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> converted;
    for (std::string_view name : kFeatureNames) converted.push_back(common::Cp1251FromUtf8(name));
    return converted;
  }();
  static const std::string kNone;
  return k < names.size() ? names[k] : kNone;
}

}  // namespace trubkom::catalogue
