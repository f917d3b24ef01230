#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
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
  common::StringList Of(const std::string& brand) const;  // safe on many threads at once
  // The same models' fields, unmarked, as views of the index's lines.
  std::vector<std::string_view> ModelFieldsOf(const std::string& brand) const;
  std::size_t CountOf(const std::string& brand) const;  // how many, found without listing them
  std::size_t size() const { return lines_.size(); }    // of the index's lines

 private:
  const common::LineTable& lines_;
  // The brand fields, lowered, in order, each with the numbers of its lines in order.
  std::map<std::string, std::vector<std::size_t>, std::less<>> lines_by_brand_;
};

// What is said of a brand of the brand box whose file is missing from Base (UTF-8): its models
// without a full description are in that file alone. A models list made of such a brand says
// it once as a warning.
std::string MissingBrandFileText(const std::string& brand);

// The entries of the brand's models list, in order, before their prices, in two steps, the
// second touching no file, so that many brands' lists may be merged side by side: the models of
// the brand's file, then those merged with the described ones (DescribedModels).
common::StringList BrandFileModels(CatalogueData& data, const std::string& brand);
common::StringList MergedModels(common::StringList of_brand_file, common::StringList described,
                                const std::string& brand);

// brand as the brand box shows it; full_only keeps only the marked models.
std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const common::LineTable& model_index, const std::string& brand,
                                    bool full_only);
std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const DescribedModelsByBrand& described,
                                    const std::string& brand, bool full_only);
// The row of rows that shows the model, as FindListedModel finds it in a list read already.
std::optional<ModelRow> FindRow(const std::vector<ModelRow>& rows, const std::string& model);

// The row of the brand's models list (all models) that shows the model, ASCII letter case
// ignored: the row written so, or else the one that differs only in the full-description mark,
// so that "Nokia 6230" of a list of new models finds "6230 *". None when the list lacks it.
std::optional<ModelRow> FindListedModel(const Folders& folders, CatalogueData& data,
                                        const common::LineTable& model_index,
                                        const std::string& brand, const std::string& model);

}  // namespace trubkom::catalogue
