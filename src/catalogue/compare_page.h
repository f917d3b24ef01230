#pragma once

#include <string>

#include "catalogue/page_context.h"
#include "catalogue/page_file.h"

// The comparison page: the basket's models side by side, a row of pictures above one column of
// values per model.
namespace trubkom::catalogue {

// basket_text holds the basket entries ("brand model") in basket order, each followed by "^".
// Returns what became of the page file.
PageFile ShowComparePage(PageContext& context, const std::string& basket_text);

}  // namespace trubkom::catalogue
