#include "catalogue/model_list.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/parallel_parts.h"
#include "common/text_set.h"
#include "common/warnings.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::ReplaceAll;
using common::StringList;
using selection::kFullDescriptionMark;

namespace {

std::string MarkedModel(std::string_view line) {
  const std::string_view model = selection::IndexModel(line);
  std::string marked;
  marked.reserve(model.size() + kFullDescriptionMark.size());
  marked.append(model).append(kFullDescriptionMark);
  return marked;
}

// The index spells some names otherwise than the brand files.
std::string LibrarySpelling(const std::string& library_brand, std::string name) {
  if (library_brand == "Alcatel") return ReplaceAll(name, "OneTouch", "ot");
  if (library_brand == "Samsung") {
    name = ReplaceAll(name, "SCH-", "sch ");
    name = ReplaceAll(name, "SGH-", "sgh ");
    return ReplaceAll(name, "SPH-", "sph ");
  }
  return name;
}

// Where each library name stands in the merge list. A described model takes the first place
// not taken yet that holds its name, and puts its marked entry there. No look-up ever asks for
// a marked entry (a name is cut at its first mark), so a place, once taken, is out of the game.
class Places {
 public:
  explicit Places(const StringList& list) : next_(list.size(), kNone) {
    std::vector<std::size_t> last;  // by text: its last place so far
    for (std::size_t place = 0; place < list.size(); ++place) {
      std::size_t text = texts_.Add(list[place]);
      if (text == first_.size()) {
        first_.push_back(place);
        last.push_back(place);
      } else {
        next_[last[text]] = place;
        last[text] = place;
      }
    }
  }

  // The first place not taken yet that holds the text, now taken.
  std::optional<std::size_t> Take(std::string_view text) {
    std::size_t number = texts_.Find(text);
    if (number == common::TextSet::kAbsent || first_[number] == kNone) return std::nullopt;
    std::size_t place = first_[number];
    first_[number] = next_[place];
    return place;
  }

 private:
  static constexpr std::size_t kNone = SIZE_MAX;
  common::TextSet texts_;
  std::vector<std::size_t> first_;  // by text: its first place not taken yet
  std::vector<std::size_t> next_;   // by place: the next place holding the same text
};

void MergeDescribed(StringList& merged, StringList described, const std::string& library_brand) {
  if (merged.empty()) {  // a brand of the index alone: its lines are its list
    merged = std::move(described);
    return;
  }
  Places places(merged);
  for (const std::string& marked : described) {
    std::string name =
        LibrarySpelling(library_brand, marked.substr(0, marked.find(kFullDescriptionMark)));
    std::optional<std::size_t> at = places.Take(common::AsciiLowered(name));
    if (!at) at = places.Take(name);
    if (at) {
      merged[*at] = marked;
    } else {
      merged.push_back(marked);
    }
  }
}

}  // namespace

StringList DescribedModels(const common::LineTable& model_index, const std::string& brand) {
  StringList models;
  for (std::string_view line : model_index) {
    if (line.size() >= brand.size() &&
        common::EqualsIgnoringAsciiCase(line.substr(0, brand.size()), brand)) {
      models.push_back(MarkedModel(line));
    }
  }
  return models;
}

DescribedModelsByBrand::DescribedModelsByBrand(const common::LineTable& model_index)
    : lines_(model_index) {
  // Parts of the lines grouped side by side, then joined in order: each brand's lines stay in
  // line order.
  using Grouped = std::map<std::string, std::vector<std::size_t>, std::less<>>;
  constexpr std::size_t kLinesPerPart = 100'000;
  const std::size_t parts = common::PartsFor(model_index.size(), kLinesPerPart);
  std::vector<Grouped> grouped(parts);
  common::RunParts(parts, [&](std::size_t part) {
    std::string lowered;
    const std::size_t first = model_index.size() * part / parts;
    const std::size_t last = model_index.size() * (part + 1) / parts;
    for (std::size_t i = first; i < last; ++i) {
      lowered.assign(selection::IndexBrand(model_index[i]));
      common::AsciiLowerInPlace(lowered);
      auto found = grouped[part].find(lowered);
      if (found == grouped[part].end()) found = grouped[part].emplace(lowered, 0).first;
      found->second.push_back(i);
    }
  });
  lines_by_brand_ = std::move(grouped.front());
  for (std::size_t part = 1; part < parts; ++part) {
    for (auto& [brand, lines] : grouped[part]) {
      std::vector<std::size_t>& joined = lines_by_brand_[brand];
      joined.insert(joined.end(), lines.begin(), lines.end());
    }
  }
}

// A line begins with a brand without '|' exactly when its brand field does: the fields that
// begin with it, lowered, are neighbours in the map.
StringList DescribedModelsByBrand::Of(const std::string& brand) const {
  StringList models;
  for (std::string_view model : ModelFieldsOf(brand)) {
    models.push_back(std::string(model).append(kFullDescriptionMark));
  }
  return models;
}

std::size_t DescribedModelsByBrand::CountOf(const std::string& brand) const {
  if (brand.find('|') != std::string::npos) return ModelFieldsOf(brand).size();
  const std::string lowered = common::AsciiLowered(brand);
  std::size_t count = 0;
  for (auto it = lines_by_brand_.lower_bound(lowered);
       it != lines_by_brand_.end() && it->first.starts_with(lowered); ++it) {
    count += it->second.size();
  }
  return count;
}

std::vector<std::string_view> DescribedModelsByBrand::ModelFieldsOf(
    const std::string& brand) const {
  std::vector<std::string_view> models;
  if (brand.find('|') != std::string::npos) {
    for (std::string_view line : lines_) {
      if (line.size() >= brand.size() &&
          common::EqualsIgnoringAsciiCase(line.substr(0, brand.size()), brand)) {
        models.push_back(selection::IndexModel(line));
      }
    }
    return models;
  }
  const std::string lowered = common::AsciiLowered(brand);
  std::vector<std::size_t> lines;
  for (auto it = lines_by_brand_.lower_bound(lowered);
       it != lines_by_brand_.end() && it->first.starts_with(lowered); ++it) {
    // Each field's lines are in order already: merged, not sorted again.
    const auto before = static_cast<std::ptrdiff_t>(lines.size());
    lines.insert(lines.end(), it->second.begin(), it->second.end());
    std::inplace_merge(lines.begin(), lines.begin() + before, lines.end());
  }
  models.reserve(lines.size());
  for (std::size_t line : lines) models.push_back(selection::IndexModel(lines_[line]));
  return models;
}

StringList MergedModels(StringList of_brand_file, StringList described, const std::string& brand) {
  MergeDescribed(of_brand_file, std::move(described), LibraryBrand(brand));
  common::SortByBytes(of_brand_file);
  return of_brand_file;
}

StringList BrandFileModels(CatalogueData& data, const std::string& brand) {
  return common::SplitCarets(data.Col2Str2(LibraryBrand(brand)));
}

namespace {

// A brand's models list before its prices: the entries, and the pass that will price them.
struct UnpricedList {
  StringList entries;
  std::unique_ptr<BrandPrices> prices;
};

UnpricedList MergedList(CatalogueData& data, const StringList& described,
                        const std::string& brand) {
  const std::string library_brand = LibraryBrand(brand);
  StringList merged = MergedModels(BrandFileModels(data, brand), described, brand);
  StringList unmarked;
  for (const std::string& entry : merged)
    unmarked.push_back(ReplaceAll(entry, kFullDescriptionMark, ""));
  auto prices =
      std::make_unique<BrandPrices>(library_brand, unmarked, PriceFigures::kAveragesAndRanges);
  return {std::move(merged), std::move(prices)};
}

std::vector<ModelRow> PricedRows(const UnpricedList& list, bool full_only) {
  std::vector<ModelRow> rows;
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    if (full_only && !common::Contains(list.entries[i], kFullDescriptionMark)) continue;
    rows.push_back({list.entries[i], list.prices->AveragePriceOf(i), list.prices->RangeOf(i)});
  }
  return rows;
}

std::vector<ModelRow> FillModelListOf(const Folders& folders, CatalogueData& data,
                                      const StringList& described, const std::string& brand,
                                      bool full_only) {
  // Its models without a full description are in that file alone: said once, not lost unseen.
  if (!data.HasBrandFile(LibraryBrand(brand))) common::Warn(MissingBrandFileText(brand));
  UnpricedList list = MergedList(data, described, brand);
  list.prices->AddPriceLists(folders.working);
  return PricedRows(list, full_only);
}

}  // namespace

std::string MissingBrandFileText(const std::string& brand) {
  return "В папке Base нет файла производителя " + common::Utf8FromCp1251(brand) +
         ": его модели без полного описания не показаны";
}

std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const common::LineTable& model_index, const std::string& brand,
                                    bool full_only) {
  return FillModelListOf(folders, data, DescribedModels(model_index, brand), brand, full_only);
}

std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const DescribedModelsByBrand& described,
                                    const std::string& brand, bool full_only) {
  return FillModelListOf(folders, data, described.Of(brand), brand, full_only);
}

std::optional<ModelRow> FindListedModel(const Folders& folders, CatalogueData& data,
                                        const common::LineTable& model_index,
                                        const std::string& brand, const std::string& model) {
  return FindRow(FillModelList(folders, data, model_index, brand, false), model);
}

std::optional<ModelRow> FindRow(const std::vector<ModelRow>& rows, const std::string& model) {
  for (const ModelRow& row : rows) {
    if (common::EqualsIgnoringAsciiCase(row.model, model)) return row;
  }
  auto unmarked = [](const std::string& name) {
    return ReplaceAll(name, kFullDescriptionMark, "");
  };
  for (const ModelRow& row : rows) {
    if (common::EqualsIgnoringAsciiCase(unmarked(row.model), unmarked(model))) return row;
  }
  return std::nullopt;
}

}  // namespace trubkom::catalogue
