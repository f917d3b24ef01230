#pragma once

#include <string>
#include <string_view>

#include "catalogue/page_context.h"
#include "catalogue/page_file.h"
#include "catalogue/price_range.h"

// The description page of a model. A model listed with the " *" mark gets the full page, laid
// out from its model index line through the property vocabulary in two columns of titled
// sections; any other model the short page filled from its property record.
namespace trubkom::catalogue {

// The address of the catalogue's web forum.
inline constexpr std::string_view kForumAddress = "https://forum.trubkom.example/forum/";

// Builds and shows the page; brand as the brand box shows it, model as the list shows it.
// Returns what became of the page file. Given the model's price figures, found with its models
// list, the page takes them rather than read the price lists for them again.
PageFile ShowModelPage(PageContext& context, const std::string& brand, const std::string& model,
                       const ModelPriceFigures* figures = nullptr);

// How many of n non-empty sections the first column takes (the rest go to the second).
std::size_t FirstColumnSections(std::size_t n);

}  // namespace trubkom::catalogue
