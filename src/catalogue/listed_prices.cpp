#include "catalogue/listed_prices.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>

#include "catalogue/brand_spellings.h"
#include "catalogue/price_files.h"
#include "catalogue/price_number.h"
#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/parallel_parts.h"
#include "common/simd.h"
#include "common/text_set.h"

#if TRUBKOM_USE_SSE2
#include <emmintrin.h>
#endif

namespace trubkom::catalogue {

namespace {

__extension__ using Wide = __int128;  // a sum of prices, as PriceSum keeps it

// A model is priced under its name without the " *" marks (as common::ReplaceAll takes them out,
// left to right), ASCII letters lowered: the bytes of that text, one by one.
template <typename Visit>
void ForEachKeyByte(std::string_view name, Visit visit) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == ' ' && i + 1 < name.size() && name[i + 1] == '*') {
      ++i;
      continue;
    }
    visit(common::AsciiLower(name[i]));
  }
}

bool KeyEquals(std::string_view name, std::string_view key) {
  std::size_t at = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == ' ' && i + 1 < name.size() && name[i + 1] == '*') {
      ++i;
      continue;
    }
    if (at == key.size() || common::AsciiLower(name[i]) != key[at]) return false;
    ++at;
  }
  return at == key.size();
}

// The longest of the brand's keys, when every model is found from where its name begins in a
// price line up to the next "^" or the line's end: so when no key holds a "^" and none is so
// long that looking that far from every mention of the brand would cost more than an automaton
// does. None otherwise.
std::optional<std::size_t> LongestDirectKey(const ListedBrand& brand) {
  constexpr std::size_t kLongestDirectModel = 256;
  std::size_t longest = 0;
  for (std::size_t model = 0; model < brand.size(); ++model) {
    std::size_t length = 0;
    bool caret = false;
    ForEachKeyByte(brand.Model(model), [&](char c) {
      ++length;
      caret = caret || c == '^';
    });
    if (caret || length > kLongestDirectModel) return std::nullopt;
    longest = std::max(longest, length);
  }
  return longest;
}

// A brand's models by their keys: open addressing over four-byte slots, each a model's number
// plus one, the first model of each key alone. Its sums are kept in the brand's averages until
// the pass ends, its counts here.
class BrandTable {
 public:
  // A model whose key an earlier one has keeps that one's number in its average until the end
  // of the pass, and is marked in repeats; the others keep their sum there.
  BrandTable(ListedBrand& brand, std::size_t longest)
      : brand_(brand), counts_(brand.size(), 0), repeats_(brand.size(), false), longest_(longest) {
    slots_.assign(std::bit_ceil(brand.size() + brand.size() / 2 + 1), 0);
    std::string key;
    for (std::size_t model = 0; model < brand.size(); ++model) {
      key.clear();
      ForEachKeyByte(brand.Model(model), [&](char c) { key += c; });
      std::uint32_t& slot = slots_[SlotOf(key)];
      if (slot == 0) slot = static_cast<std::uint32_t>(model + 1);
      repeats_[model] = slot != model + 1;
      brand.averages[model] = repeats_[model] ? slot - 1 : 0;
    }
  }

  std::size_t Longest() const { return longest_; }

  // The first model of the key; npos when none has it.
  std::size_t Find(std::string_view key) const {
    const std::uint32_t found = slots_[SlotOf(key)];
    return found == 0 ? std::string_view::npos : found - 1;
  }

  // Adds an offer of the first model of a key, and says whether the sum or the count went round
  // (their 64 and 32 bits), for the caller to carry it.
  struct Wrapped {
    int sum = 0;  // +1 or -1 when the sum went past one end and came back at the other
    bool count = false;
  };
  Wrapped Add(std::size_t model, long long price) {
    Wrapped wrapped;
    long long& sum = brand_.averages[model];
    if (__builtin_add_overflow(sum, price, &sum)) wrapped.sum = price > 0 ? 1 : -1;
    wrapped.count = ++counts_[model] == 0;
    return wrapped;
  }

  std::uint32_t Count(std::size_t model) const { return counts_[model]; }
  bool Repeats(std::size_t model) const { return repeats_[model]; }

 private:
  std::size_t SlotOf(std::string_view key) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = common::TextSet::Hash(key) & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t model = slots_[slot];
      if (model == 0 || KeyEquals(brand_.Model(model - 1), key)) return slot;
    }
  }

  ListedBrand& brand_;
  std::vector<std::uint32_t> slots_;
  std::vector<std::uint32_t> counts_;
  std::vector<bool> repeats_;
  std::size_t longest_;
};

// The brands' prefixes ("nokia ", lowered) read backwards, from the blank that ends them: every
// prefix that ends at a blank of a line is found by walking back from that blank, a step a byte,
// where searching for each brand on its own would read the whole text once a brand. The steps
// are a flat table over the bytes the prefixes hold, so that a walk costs no look-up in a tree.
class PrefixesBackwards {
 public:
  explicit PrefixesBackwards(const std::vector<std::pair<std::string, std::size_t>>& prefixes) {
    for (const auto& [prefix, table] : prefixes) {
      for (char c : prefix) {
        unsigned char& kind = kind_of_[static_cast<unsigned char>(c)];
        if (kind == 0) kind = static_cast<unsigned char>(++kinds_);
      }
    }
    next_.assign(kinds_ + 1, kNone);
    std::vector<std::vector<std::size_t>> ends(1);  // by node
    for (const auto& [prefix, table] : prefixes) {
      std::uint32_t node = 0;
      for (auto c = prefix.rbegin(); c != prefix.rend(); ++c) {
        const std::size_t step = node * (kinds_ + 1) + kind_of_[static_cast<unsigned char>(*c)];
        if (next_[step] == kNone) {
          next_[step] = static_cast<std::uint32_t>(ends.size());
          ends.emplace_back();
          next_.resize(next_.size() + kinds_ + 1, kNone);
        }
        node = next_[step];
      }
      ends[node].push_back(table);
      // The two bytes before the blank: every byte before a one-letter brand.
      const auto last = static_cast<unsigned char>(prefix[prefix.size() - 2]);
      for (unsigned before = 0; before < 256; ++before) {
        if (prefix.size() > 2 && before != static_cast<unsigned char>(prefix[prefix.size() - 3])) {
          continue;
        }
        ending_pairs_[before << 8 | last] = true;
      }
    }
    for (const std::vector<std::size_t>& of_node : ends) {
      first_end_.push_back(static_cast<std::uint32_t>(ends_.size()));
      ends_.insert(ends_.end(), of_node.begin(), of_node.end());
    }
    first_end_.push_back(static_cast<std::uint32_t>(ends_.size()));
  }

  // Calls found(table, start) for each table whose prefix ends at text[blank], start where the
  // prefix starts; the walk goes back no further than from.
  template <typename Found>
  void ForEachEndingAt(std::string_view text, std::size_t from, std::size_t blank,
                       Found found) const {
    // Most blanks end no brand, and the two bytes before them say so at once.
    if (blank >= from + 2 && !ending_pairs_[static_cast<unsigned char>(text[blank - 2]) << 8 |
                                            static_cast<unsigned char>(text[blank - 1])]) {
      return;
    }
    std::uint32_t node = 0;
    for (std::size_t at = blank + 1; at > from;) {
      const unsigned char kind = kind_of_[static_cast<unsigned char>(text[--at])];
      if (kind == 0) return;
      node = next_[node * (kinds_ + 1) + kind];
      if (node == kNone) return;
      for (std::uint32_t end = first_end_[node]; end < first_end_[node + 1]; ++end) {
        found(ends_[end], at);
      }
    }
  }

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;
  std::array<unsigned char, 256> kind_of_ = {};  // 0 for a byte no prefix holds
  std::size_t kinds_ = 0;
  std::vector<std::uint32_t> next_;       // by node and kind
  std::vector<std::uint32_t> first_end_;  // by node: where its tables begin in ends_
  std::vector<std::size_t> ends_;         // the tables whose prefix ends at each node, in order
  std::bitset<65536> ending_pairs_;       // the two bytes before the blank of some prefix
};

// Offers whose sum or count went round, carried beside the tables; seldom, if ever, used.
class Carries {
 public:
  struct Carry {
    long long sum_rounds = 0;        // of 2^64
    std::uint64_t count_rounds = 0;  // of 2^32
  };
  void Add(std::size_t brand, std::size_t model, const BrandTable::Wrapped& wrapped) {
    Carry& carry = carries_[{brand, model}];
    carry.sum_rounds += wrapped.sum;
    carry.count_rounds += wrapped.count ? 1 : 0;
  }
  Carry Of(std::size_t brand, std::size_t model) const {
    auto found = carries_.find({brand, model});
    return found == carries_.end() ? Carry{} : found->second;
  }

 private:
  std::map<std::pair<std::size_t, std::size_t>, Carry> carries_;
};

// The brands and how each is priced: by its table, or by a pass of its own with an automaton.
struct Pricing {
  explicit Pricing(std::vector<ListedBrand>& listed)
      : brands(listed),
        longest(listed.size()),
        prefix_has_caret(listed.size(), false),
        tables(listed.size()),
        made(std::make_unique<std::once_flag[]>(listed.size())),
        automata(listed.size()) {}

  // The brand's table, made when a price line first names the brand: a brand that no line
  // names costs no table.
  const BrandTable& TableOf(std::size_t brand) {
    std::call_once(made[brand], [&] {
      tables[brand] = std::make_unique<BrandTable>(brands[brand], *longest[brand]);
    });
    return *tables[brand];
  }

  std::vector<ListedBrand>& brands;
  std::vector<std::optional<std::size_t>> longest;  // by brand: LongestDirectKey
  std::vector<char> prefix_has_caret;  // by brand (not bits: parts set them side by side)
  std::vector<std::unique_ptr<BrandTable>> tables;  // by brand, once made
  std::unique_ptr<std::once_flag[]> made;
  std::vector<std::unique_ptr<BrandPrices>> automata;  // by brand, for those not priced directly
  std::unique_ptr<PrefixesBackwards> prefixes;         // of the brands priced directly
  std::mutex adding;  // the tables and carries are added to by one part at a time
  Carries carries;
};

// An offer found in a file, added to its model's sum when the file is done: a part holds the
// tables for the time of adding a file's offers, not one lock or atomic add an offer.
struct Offer {
  std::uint32_t brand, model;
  long long price;
};

void AddOffers(Pricing& pricing, const std::vector<Offer>& offers) {
  const std::lock_guard lock(pricing.adding);
  for (const Offer& offer : offers) {
    const BrandTable::Wrapped wrapped = pricing.tables[offer.brand]->Add(offer.model, offer.price);
    if (wrapped.sum != 0 || wrapped.count) pricing.carries.Add(offer.brand, offer.model, wrapped);
  }
}

// Calls visit(blank, line_start) for every blank of the text, in order, with where its line
// starts (after the CR or LF before it). Sixteen bytes are looked at together where the text
// holds them: a price line holds a blank or two, and a call to find each, or a step for each
// line end, would cost more than the bytes between.
template <typename Visit>
void ForEachBlank(std::string_view text, Visit visit) {
  std::size_t line_start = 0;
  std::size_t at = 0;
#if TRUBKOM_USE_SSE2
  for (; at + 16 <= text.size(); at += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
    const auto ends = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')))));
    for (auto blanks =
             static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' '))));
         blanks != 0; blanks &= blanks - 1) {
      const auto blank = static_cast<unsigned>(std::countr_zero(blanks));
      const unsigned ends_before = ends & ((1u << blank) - 1);
      if (ends_before != 0) line_start = at + static_cast<std::size_t>(std::bit_width(ends_before));
      visit(at + blank, line_start);
    }
    if (ends != 0) line_start = at + static_cast<std::size_t>(std::bit_width(ends));
  }
#endif
  for (; at < text.size(); ++at) {
    if (common::IsCrOrLf(text[at])) line_start = at + 1;
    if (text[at] == ' ') visit(at, line_start);
  }
}

// The offers in texts of price lines, ASCII letters lowered, found by one part of the pass. Each
// blank may end a brand's prefix; a model of the brand begins right after it and ends at the
// next "^" or the line's end. A model counts once a line, however often the line names it.
class OfferFinder {
 public:
  explicit OfferFinder(Pricing& pricing)
      : pricing_(pricing), tables_(pricing.brands.size(), nullptr) {}

  // The offers of the text, in place of those of the text before.
  const std::vector<Offer>& Find(std::string_view text) {
    offers_.clear();
    counted_line_ = std::string_view::npos;
    ForEachBlank(text, [&](std::size_t blank, std::size_t line_start) {
      pricing_.prefixes->ForEachEndingAt(
          text, line_start, blank,
          [&](std::size_t brand, std::size_t at) { Found(text, line_start, at, blank, brand); });
    });
    return offers_;
  }

 private:
  void Found(std::string_view text, std::size_t line_start, std::size_t at, std::size_t blank,
             std::size_t brand) {
    const std::size_t model_start = blank + 1;
    const std::size_t limit = std::min(text.size(), model_start + *pricing_.longest[brand] + 1);
    const std::size_t model_end = FieldEnd(text, model_start, limit);
    if (model_end == limit && limit != text.size()) return;  // longer than every model
    if (tables_[brand] == nullptr) tables_[brand] = &pricing_.TableOf(brand);
    const std::size_t model =
        tables_[brand]->Find(text.substr(model_start, model_end - model_start));
    if (model == std::string_view::npos) return;
    if (counted_line_ != line_start) {
      counted_line_ = line_start;
      counted_.clear();
      // A line that begins with a prefix without a "^" has its first "^", if any, where the
      // model ends: the price is read from there without a look at the line again.
      const bool caret_known = at == line_start && !pricing_.prefix_has_caret[brand];
      price_ = caret_known
                   ? PriceAt(text, model_end < text.size() && text[model_end] == '^' ? model_end + 1
                                                                                     : line_start)
                   : PriceFrom(text, line_start, line_start);
    } else if (std::find(counted_.begin(), counted_.end(), std::pair(brand, model)) !=
               counted_.end()) {
      return;
    }
    counted_.emplace_back(brand, model);
    offers_.push_back(
        {static_cast<std::uint32_t>(brand), static_cast<std::uint32_t>(model), price_});
  }

  Pricing& pricing_;
  std::vector<const BrandTable*> tables_;  // by brand: its table, once this part has asked
  std::vector<std::pair<std::size_t, std::size_t>> counted_;  // brand and model, of one line
  std::size_t counted_line_ = std::string_view::npos;         // where that line starts
  long long price_ = 0;                                       // of that line
  std::vector<Offer> offers_;
};

common::StringList UnmarkedModels(const ListedBrand& brand) {
  common::StringList models;
  for (std::size_t i = 0; i < brand.size(); ++i) {
    models.push_back(common::ReplaceAll(std::string(brand.Model(i)), " *", ""));
  }
  return models;
}

// How the brand is priced: directly, or by an automaton of its own; neither when no line can
// name it.
void PrepareBrand(Pricing& pricing, std::size_t brand) {
  ListedBrand& listed = pricing.brands[brand];
  std::fill(listed.averages.begin(), listed.averages.end(), kNoPrice);
  const std::string library_brand = LibraryBrand(listed.name);
  if (HasLineEnd(library_brand)) return;
  pricing.longest[brand] = LongestDirectKey(listed);
  pricing.prefix_has_caret[brand] = library_brand.find('^') != std::string::npos;
  if (pricing.longest[brand]) return;
  pricing.automata[brand] = std::make_unique<BrandPrices>(library_brand, UnmarkedModels(listed));
}

void PrepareBrands(Pricing& pricing) {
  std::size_t models = 0;
  for (const ListedBrand& brand : pricing.brands) models += brand.size();
  // Side by side, each brand by the part that takes it next.
  constexpr std::size_t kModelsPerPart = 50'000;
  std::atomic<std::size_t> next = 0;
  common::RunParts(common::PartsFor(models, kModelsPerPart), [&](std::size_t) {
    for (std::size_t b = next++; b < pricing.brands.size(); b = next++) PrepareBrand(pricing, b);
  });
  std::vector<std::pair<std::string, std::size_t>> prefixes;
  for (std::size_t b = 0; b < pricing.brands.size(); ++b) {
    if (pricing.longest[b]) {
      prefixes.emplace_back(common::AsciiLowered(LibraryBrand(pricing.brands[b].name)) + " ", b);
    }
  }
  pricing.prefixes = std::make_unique<PrefixesBackwards>(prefixes);
}

void ReadPriceLists(const std::string& working_folder, Pricing& pricing) {
  const std::string folder = PriceFolder(working_folder);
  const common::StringList names = PriceFileNames(folder);
  // An automaton keeps state from line to line: with one, the files are read on one thread.
  const bool any_automaton =
      std::any_of(pricing.automata.begin(), pricing.automata.end(),
                  [](const auto& automaton) { return automaton != nullptr; });
  constexpr std::size_t kFilesPerPart = 16;
  const std::size_t parts = any_automaton ? 1 : common::PartsFor(names.size(), kFilesPerPart);
  common::RunParts(parts, [&](std::size_t part) {
    const std::size_t first = names.size() * part / parts, last = names.size() * (part + 1) / parts;
    OfferFinder finder(pricing);
    ForEachPriceFile(folder, std::span(names).subspan(first, last - first),
                     [&](std::string& bytes) {
                       common::AsciiLowerInPlace(bytes);
                       AddOffers(pricing, finder.Find(bytes));
                       for (const auto& automaton : pricing.automata) {
                         if (automaton) automaton->AddLoweredText(bytes);
                       }
                     });
  });
}

// Each model's average, from the sums and counts of its key's first model.
void SetAverages(Pricing& pricing) {
  std::vector<ListedBrand>& brands = pricing.brands;
  for (std::size_t b = 0; b < brands.size(); ++b) {
    ListedBrand& brand = brands[b];
    if (const auto& automaton = pricing.automata[b]) {
      for (std::size_t m = 0; m < brand.size(); ++m) {
        const std::string average = automaton->AveragePriceOf(m);
        brand.averages[m] = average.empty() ? kNoPrice : common::TextToInt(average);
      }
    }
    const BrandTable* table = pricing.tables[b].get();
    if (table == nullptr) continue;
    for (std::size_t m = 0; m < brand.size(); ++m) {
      if (table->Repeats(m)) {
        brand.averages[m] = brand.averages[brand.averages[m]];  // made already: it is before m
        continue;
      }
      const Carries::Carry carry = pricing.carries.Of(b, m);
      const Wide sum = static_cast<Wide>(brand.averages[m]) +
                       static_cast<Wide>(carry.sum_rounds) * (static_cast<Wide>(1) << 64);
      const std::uint64_t count = table->Count(m) + (carry.count_rounds << 32);
      // As PriceSum::Average: the fraction discarded, toward zero.
      brand.averages[m] =
          count == 0 ? kNoPrice : static_cast<long long>(sum / static_cast<Wide>(count));
    }
  }
}

}  // namespace

void PriceListedBrands(const std::string& working_folder, std::vector<ListedBrand>& brands) {
  Pricing pricing(brands);
  PrepareBrands(pricing);
  ReadPriceLists(working_folder, pricing);
  SetAverages(pricing);
}

}  // namespace trubkom::catalogue
