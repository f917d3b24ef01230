#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "catalogue/model_list.h"
#include "common/string_ops.h"

// Every brand's models list at once, as the search across brands and the price history read
// them: each model's name as its list shows it and its average price. A catalogue of millions
// of models keeps their names and twelve bytes a model, and is priced in one pass over the price
// lists however many models it has.
namespace trubkom::catalogue {

// The average of a model that no shop offers; no average of prices is ever this low.
inline constexpr long long kNoPrice = LLONG_MIN;

struct ListedBrand {
  std::string name;                   // as the brand box shows it
  std::string models;                 // the names as listed, " *" marks kept, each ended by '\n'
  std::vector<std::uint32_t> starts;  // where each name begins in models
  std::vector<long long> averages;    // by model, once priced: kNoPrice when none is offered

  explicit ListedBrand(std::string brand) : name(std::move(brand)) {}
  void Add(std::string_view model, std::string_view mark = {});  // name and mark, unpriced
  std::size_t size() const { return starts.size(); }
  std::string_view Model(std::size_t i) const {
    const std::size_t end = i + 1 < starts.size() ? starts[i + 1] - 1 : models.size() - 1;
    return std::string_view(models).substr(starts[i], end - starts[i]);
  }
  // The average as the models list writes it: decimal text, empty when none is offered.
  std::string AverageText(std::size_t i) const;
};

// The models lists of the brands (the brand box's entries; empty ones are skipped), in order,
// as FillModelList makes them with all models, each priced as it prices them.
std::vector<ListedBrand> ReadListedBrands(const Folders& folders, CatalogueData& data,
                                          const DescribedModelsByBrand& described,
                                          const common::StringList& brands);

}  // namespace trubkom::catalogue
