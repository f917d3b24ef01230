#include "catalogue/price_pass.h"

#include <algorithm>
#include <bit>
#include <optional>
#include <span>
#include <vector>

#include "catalogue/price_files.h"
#include "catalogue/price_number.h"
#include "common/ascii.h"
#include "common/line_file.h"
#include "common/parallel_parts.h"
#include "common/simd.h"
#include "common/substring_search.h"
#include "common/text_set.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

namespace trubkom::catalogue {

using common::AsciiLowered;
using common::StringList;

void PriceSum::Add(long long price) {
  total += price;
  ++count;
}

void PriceSum::Add(const PriceSum& other) {
  total += other.total;
  count += other.count;
}

void PriceRange::Add(long long price) {
  low = offers == 0 ? price : std::min(low, price);
  high = offers == 0 ? price : std::max(high, price);
  ++offers;
}

void PriceRange::Add(const PriceRange& other) {
  if (other.offers == 0) return;
  low = offers == 0 ? other.low : std::min(low, other.low);
  high = offers == 0 ? other.high : std::max(high, other.high);
  offers += other.offers;
}

std::string PriceSum::Average() const {
  if (count == 0) return {};
  return std::to_string(static_cast<long long>(total / count));
}

namespace {

StringList WithCarets(StringList texts) {
  for (std::string& text : texts) text += '^';
  return texts;
}

// Beyond this length a model name would make the direct search cost its length at every
// occurrence of the brand; the pattern automaton's cost does not depend on it.
constexpr std::size_t kLongestDirectModel = 256;

}  // namespace

// Each lowered model is a query once: the models' table numbers them in the order first seen,
// which are the queries' numbers.
BrandPrices::BrandPrices(std::string_view brand, const StringList& models, PriceFigures figures)
    : prefix_(AsciiLowered(brand) + " "), figures_(figures), tally_(0, figures) {
  query_of_model_.reserve(models.size());
  for (const std::string& model : models) {
    std::string lowered = AsciiLowered(model);
    std::size_t query = by_model_.Add(lowered);
    query_of_model_.push_back(query);
    if (query < queries_.size()) continue;
    longest_model_ = std::max(longest_model_, lowered.size());
    if (common::Contains(lowered, "^")) direct_ = false;
    queries_.push_back(prefix_ + lowered);
  }
  tally_ = Tally(queries_.size(), figures_);
  if (longest_model_ > kLongestDirectModel) direct_ = false;
  prefix_has_caret_ = common::Contains(prefix_, "^");
}

// Files of price lists a part reads at least, when they are read in parts.
constexpr std::size_t kFilesPerPart = 16;

void BrandPrices::AddPriceLists(const std::string& working_folder) {
  AddPriceListsToAll(working_folder, {this});
}

void BrandPrices::AddPriceListsToAll(const std::string& working_folder,
                                     const std::vector<BrandPrices*>& all) {
  if (all.empty()) return;
  const std::string folder = PriceFolder(working_folder);
  const StringList names = PriceFileNames(folder);
  // The direct pass only reads what the parts share; the other one's automaton keeps state.
  const bool direct = std::all_of(all.begin(), all.end(), [](auto* b) { return b->direct_; });
  const std::size_t parts = direct ? common::PartsFor(names.size(), kFilesPerPart) : 1;
  // Each part but the first counts into tallies of its own, one a brand.
  std::vector<std::vector<Tally>> tallies(parts - 1);
  for (std::vector<Tally>& part : tallies) {
    for (const BrandPrices* prices : all)
      part.emplace_back(prices->queries_.size(), prices->figures_);
  }
  common::RunParts(parts, [&](std::size_t part) {
    const std::size_t first = names.size() * part / parts, last = names.size() * (part + 1) / parts;
    ForEachPriceFile(
        folder, std::span(names).subspan(first, last - first), [&](std::string& bytes) {
          common::AsciiLowerInPlace(bytes);
          for (std::size_t b = 0; b < all.size(); ++b) {
            all[b]->AddLoweredText(bytes, part == 0 ? all[b]->tally_ : tallies[part - 1][b]);
          }
        });
  });
  for (const std::vector<Tally>& part : tallies) {
    for (std::size_t b = 0; b < all.size(); ++b) all[b]->tally_.Join(part[b]);
  }
}

void BrandPrices::Tally::Join(const Tally& other) {
  for (std::size_t query = 0; query < sums.size(); ++query) sums[query].Add(other.sums[query]);
  for (std::size_t query = 0; query < ranges.size(); ++query) {
    ranges[query].Add(other.ranges[query]);
  }
}

void BrandPrices::AddLoweredText(std::string_view text) { AddLoweredText(text, tally_); }

void BrandPrices::AddLoweredText(std::string_view text, Tally& tally) {
  if (!direct_) {
    common::ForEachLine(text, common::IsCrOrLf,
                        [&](std::string_view line) { AddLoweredLine(line, tally); });
    return;
  }
  if (HasLineEnd(prefix_)) return;  // no line holds it
  AddLoweredTextDirectly(text, tally);
}

// With no "^" in any model, a query occurs at an occurrence of the brand prefix exactly when the
// text from there to the next "^" or the line's end is the query's model. So the pass looks
// only at the occurrences of the prefix, found by one search over the whole text: from each it
// reads back to the line's start (never past the previous occurrence) and on to the end of the
// model (never further than the longest model). Each byte is read a bounded number of times.
void BrandPrices::AddLoweredTextDirectly(std::string_view text, Tally& tally) const {
  std::size_t line_start = 0;
  std::size_t scanned_to = 0;  // bytes before it are known to belong to earlier lines
  bool in_line = false;        // whether line_start is the line of the last occurrence
  common::SubstringSearch(prefix_).ForEach(text, 0, [&](std::size_t at) {
    std::size_t back = at;
    while (back > scanned_to && !common::IsCrOrLf(text[back - 1])) --back;
    if (back > scanned_to || !in_line) {
      line_start = back;
      in_line = true;
      ++tally.line_number;
    }
    scanned_to = at;
    std::size_t model_start = at + prefix_.size();
    std::size_t limit = std::min(text.size(), model_start + longest_model_ + 1);
    std::size_t model_end = FieldEnd(text, model_start, limit);
    if (model_end == limit && limit != text.size()) return true;  // longer than every model
    std::size_t query = by_model_.Find(text.substr(model_start, model_end - model_start));
    if (query == common::TextSet::kAbsent || tally.last_line[query] == tally.line_number) {
      return true;
    }
    tally.last_line[query] = tally.line_number;
    bool caret_before = line_start != at || prefix_has_caret_;
    tally.Add(query, PriceFrom(text, line_start, caret_before ? line_start : model_end));
    return true;
  });
}

// A query belongs to the line when query + "^" occurs in line + "^"; each query counts once per
// line, however often it occurs. Every query begins with the brand prefix, so the search starts
// at the prefix's first occurrence, and lines without the brand cost one search only.
void BrandPrices::AddLoweredLine(std::string_view lowered, Tally& tally) {
  std::size_t start = lowered.find(prefix_);
  if (start == std::string_view::npos) return;
  std::string text = std::string(lowered.substr(start)) + "^";
  std::optional<long long> price;  // read when first needed
  if (!patterns_) patterns_.emplace(WithCarets(queries_));
  patterns_->ForEachFound(text, [&](std::size_t query) {
    if (!price) price = LinePrice(lowered);
    tally.Add(query, *price);
  });
}

std::string BrandPrices::AveragePriceOf(std::size_t i) const {
  return tally_.sums[query_of_model_[i]].Average();
}

PriceRange BrandPrices::RangeOf(std::size_t i) const {
  return tally_.ranges.empty() ? PriceRange{} : tally_.ranges[query_of_model_[i]];
}

std::string BrandPrices::AveragePrice(std::string_view model) const {
  std::size_t query = by_model_.Find(AsciiLowered(model));
  return query == common::TextSet::kAbsent ? std::string() : tally_.sums[query].Average();
}

}  // namespace trubkom::catalogue
