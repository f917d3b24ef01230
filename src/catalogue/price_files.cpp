#include "catalogue/price_files.h"

namespace trubkom::catalogue {

std::string PriceFolder(const std::string& working_folder) {
  return common::ResolvePath(working_folder, "adv/prices");
}

common::StringList PriceFileNames(const std::string& folder) {
  return common::ListFiles(folder, "*.prc");
}

}  // namespace trubkom::catalogue
