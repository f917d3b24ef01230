#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/pattern_set.h"
#include "common/string_ops.h"
#include "common/text_set.h"

// The average prices of a brand's models over the shops' price lists (price_files.h), found in
// one pass for the whole models list.
namespace trubkom::catalogue {

// Prices summed without overflow: every price is within 10^18 of zero (TextToInt), so even 2^64
// of them fit in 128 bits, and the average, like each price, fits in a long long.
struct PriceSum {
  __extension__ __int128 total = 0;
  long long count = 0;
  void Add(long long price);
  void Add(const PriceSum& other);
  // The exact average, the fraction discarded (toward zero), as decimal text; empty text when
  // nothing was added.
  std::string Average() const;
};

// The lowest and highest of the prices added, and how many there were (the shops' offers).
struct PriceRange {
  long long low = 0, high = 0;  // meaningful when offers > 0
  long long offers = 0;
  void Add(long long price);
  void Add(const PriceRange& other);
};

// Which figures a pass keeps beside the averages.
enum class PriceFigures { kAverages, kAveragesAndRanges };

// The average prices of many models of one brand at once, in one pass over the price lists:
// the same results as the literal AveragePrice (tests/support/price_average_reference.h) for each
// query "brand model", with a cost that grows with the bytes of the lines plus the models instead
// of their product.
class BrandPrices {
 public:
  // brand is the library's spelling; models are the names without their " *" mark.
  BrandPrices(std::string_view brand, const common::StringList& models,
              PriceFigures figures = PriceFigures::kAverages);
  BrandPrices(const BrandPrices&) = delete;  // large, and never needs copying
  BrandPrices& operator=(const BrandPrices&) = delete;
  // Reads the price lists of the working folder: many of them in parts side by side, each part
  // on a thread of its own.
  void AddPriceLists(const std::string& working_folder);
  // The same for many brands at once, each price list read and lowered once for all of them.
  static void AddPriceListsToAll(const std::string& working_folder,
                                 const std::vector<BrandPrices*>& all);
  // Adds the lines of a text whose ASCII letters are already lowered.
  void AddLoweredText(std::string_view text);
  // Adds one line whose ASCII letters are already lowered, as a whole: a CR or LF in it, which a
  // file's line ends would have split at, ends nothing.
  void AddLoweredLine(std::string_view lowered) { AddLoweredLine(lowered, tally_); }
  std::string AveragePrice(std::string_view model) const;
  // The average price of the i-th of the models given, found without a look-up.
  std::string AveragePriceOf(std::size_t i) const;
  // The range of the i-th model's prices; none offered when the pass keeps averages only.
  PriceRange RangeOf(std::size_t i) const;

 private:
  // What a pass over lines counts. Parts of the price lists read side by side each count into a
  // tally of their own (a line never spans two files), joined after.
  struct Tally {
    Tally(std::size_t queries, PriceFigures figures)
        : sums(queries),
          ranges(figures == PriceFigures::kAveragesAndRanges ? queries : 0),
          last_line(queries, 0) {}
    void Join(const Tally& other);
    void Add(std::size_t query, long long price) {
      sums[query].Add(price);
      if (!ranges.empty()) ranges[query].Add(price);
    }

    std::vector<PriceSum> sums;            // by query number
    std::vector<PriceRange> ranges;        // by query number; empty when not asked for
    std::vector<std::uint64_t> last_line;  // by query number: the last line that counted it
    std::uint64_t line_number = 0;         // of the lines seen by the direct pass
  };

  void AddLoweredText(std::string_view text, Tally& tally);
  void AddLoweredLine(std::string_view lowered, Tally& tally);
  void AddLoweredTextDirectly(std::string_view text, Tally& tally) const;

  std::string prefix_;                       // lowered brand and a blank
  common::StringList queries_;               // lowered "brand model", no repeats
  common::TextSet by_model_;                 // the model part of each query (after the prefix)
  std::vector<std::size_t> query_of_model_;  // by the models' order as given
  PriceFigures figures_;
  Tally tally_;
  std::size_t longest_model_ = 0;
  bool direct_ = true;  // no model holds "^" and none is very long
  bool prefix_has_caret_ = false;
  // Each query followed by "^", for the other cases; made when first needed.
  std::optional<common::PatternSet> patterns_;
};

}  // namespace trubkom::catalogue
