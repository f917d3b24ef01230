#pragma once

#include <string>
#include <vector>

#include "catalogue/brand_spellings.h"
#include "common/line_table.h"
#include "common/string_ops.h"
#include "selection/model_index.h"

// The brand box's entries: brands of the brand files Base/*_new.xml merged with the brands of
// the model index, sorted, with the display spellings of the box.
namespace trubkom::catalogue {

// The brand list in order, before the display spellings (BrandDisplayName): file_names are the
// names of the brand files in listing order; model_index the lines of the model index.
common::StringList BuildBrandList(const std::vector<std::string>& file_names,
                                  const common::LineTable& model_index);

// The same from the index's brands (selection::BrandsOfIndex).
common::StringList BuildBrandList(const std::vector<std::string>& file_names,
                                  const selection::IndexBrands& index);

// The brand box's entries for the catalogue in the working folder, in order.
common::StringList BrandBoxEntries(const std::string& working_folder,
                                   const common::LineTable& model_index);
common::StringList BrandBoxEntries(const std::string& working_folder,
                                   const selection::IndexBrands& index);

}  // namespace trubkom::catalogue
