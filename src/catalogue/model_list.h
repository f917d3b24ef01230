#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/brand_spellings.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "catalogue/price_pass.h"
#include "common/line_table.h"
#include "common/string_ops.h"

// The models list of a brand: the brand files' models merged with the model index's, those
// with a full description marked " *", sorted in byte order, each with its average price and
// the range of its prices.
namespace trubkom::catalogue {

struct ModelRow {
  std::string model;      // as listed, with the " *" mark where it applies
  std::string price;      // average price, or empty text
  PriceRange range = {};  // the lowest and highest price and the offers, from the same pass
};

// The models the index describes for a brand: those of the lines that begin with the brand,
// ASCII letter case ignored, each with the mark, in line order.
common::StringList DescribedModels(const common::LineTable& model_index, const std::string& brand);

// The same for many brands, the lines grouped once by their brand field: lists of every brand
// (the search, the price history) cost a pass over the index, not one a brand.
class DescribedModelsByBrand {
 public:
  explicit DescribedModelsByBrand(const common::LineTable& model_index);
  common::StringList Of(const std::string& brand) const;

 private:
  const common::LineTable& lines_;
  // The brand fields, lowered, in order, each with the numbers of its lines in order.
  std::map<std::string, std::vector<std::size_t>, std::less<>> lines_by_brand_;
};

// What is said of a brand of the brand box whose file is missing from Base (UTF-8): its models
// without a full description are in that file alone. A models list made of such a brand says
// it once as a warning.
std::string MissingBrandFileText(const std::string& brand);

// brand as the brand box shows it; full_only keeps only the marked models.
std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const common::LineTable& model_index, const std::string& brand,
                                    bool full_only);
std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const DescribedModelsByBrand& described,
                                    const std::string& brand, bool full_only);
// Calls visit(brand, rows) with the list of each of the brands, as FillModelList gives it, in
// the brands' order: the price lists are read once for many brands rather than once for each.
using ModelListVisit =
    std::function<void(const std::string& brand, const std::vector<ModelRow>& rows)>;
void ForEachModelList(const Folders& folders, CatalogueData& data,
                      const DescribedModelsByBrand& described, const common::StringList& brands,
                      bool full_only, const ModelListVisit& visit);

// The row of the brand's models list (all models) that shows the model, ASCII letter case
// ignored: the row written so, or else the one that differs only in the full-description mark,
// so that "Nokia 6230" of a list of new models finds "6230 *". None when the list lacks it.
std::optional<ModelRow> FindListedModel(const Folders& folders, CatalogueData& data,
                                        const common::LineTable& model_index,
                                        const std::string& brand, const std::string& model);

}  // namespace trubkom::catalogue
