#include "catalogue/price_lists.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <optional>
#include <span>
#include <vector>

#include "catalogue/page_file.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/parallel_parts.h"
#include "common/paths.h"
#include "common/short_bytes.h"
#include "common/substring_search.h"
#include "common/text_set.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace trubkom::catalogue {

using common::AsciiLowered;
using common::StringList;

namespace {

std::string PriceFolder(const std::string& working_folder) {
  return common::ResolvePath(working_folder, "adv/prices");
}

// The price of a line: the number after its first "^", or of the whole line when it has none.
long long LinePrice(std::string_view line) {
  std::size_t caret = line.find('^');
  return common::TextToInt(caret == std::string_view::npos ? line : line.substr(caret + 1));
}

StringList PriceFileNames(const std::string& folder) { return common::ListFiles(folder, "*.prc"); }

// Calls visit(bytes) for each of the price files named, in order, the bytes in one buffer reused
// from file to file.
template <typename Visit>
void ForEachPriceFile(const std::string& folder, std::span<const std::string> names, Visit visit) {
  std::string bytes;
  for (const std::string& name : names) {
    if (common::ReadFileBytesInto(common::JoinPath(folder, name), bytes, common::kDataFileCap)) {
      visit(bytes);
    }
  }
}

// The same for every price file of the working folder, in listing order.
template <typename Visit>
void ForEachPriceFile(const std::string& working_folder, Visit visit) {
  const std::string folder = PriceFolder(working_folder);
  ForEachPriceFile(folder, PriceFileNames(folder), visit);
}

// common::TextToInt of the text from at. The usual price, one to seven digits and then no
// digit, is read from one eight-byte word, not digit by digit with a loop whose end the
// processor cannot foresee.
long long NumberAt(std::string_view text, std::size_t at) {
#ifdef __SSE2__
  if (at + 8 <= text.size()) {
    const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(text.data() + at));
    const std::uint32_t digits = common::DigitBytes(bytes);
    const auto count = static_cast<unsigned>(std::countr_zero(~digits));  // leading digits
    if (count - 1 < 7) return common::ReadEightDigits(text.data() + at, 8 * (8 - count));
  }
#endif
  return common::TextToInt(text.substr(at));
}

// The price of the line that starts at start in a text of many lines: the number after the
// line's first "^", or of the whole line when it has none. No "^" stands between start and
// search_from. Reading a number stops at the line's end, which is no digit.
long long PriceFrom(std::string_view text, std::size_t start, std::size_t search_from) {
  std::size_t at = search_from;
  while (at < text.size() && text[at] != '^' && !common::IsCrOrLf(text[at])) ++at;
  return NumberAt(text, at < text.size() && text[at] == '^' ? at + 1 : start);
}

// Where the field that starts at from ends: at its first "^", CR or LF, or at limit if that comes
// first. Sixteen bytes are looked at together where the text holds them, so that names of many
// lengths cost no mispredicted end of a loop.
std::size_t FieldEnd(std::string_view text, std::size_t from, std::size_t limit) {
#ifdef __SSE2__
  for (; from < limit && from + 16 <= text.size(); from += 16) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + from));
    __m128i ends = _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('^')),
                                _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                             _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends));
    if (mask != 0) return std::min(limit, from + static_cast<std::size_t>(std::countr_zero(mask)));
  }
#endif
  while (from < limit && text[from] != '^' && !common::IsCrOrLf(text[from])) ++from;
  return std::min(from, limit);
}

bool HasLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The line around position at of a text whose lines end at CR or LF: [start, end).
struct LineSpan {
  std::size_t start, end;
};

// The line holding position at, searching no further back than not_before (a line end or the
// text's start): each byte is looked at once over all the lines of a text.
LineSpan LineAround(std::string_view text, std::size_t at, std::size_t not_before) {
  std::size_t start = at;
  while (start > not_before && !common::IsCrOrLf(text[start - 1])) --start;
  std::size_t end = at;
  while (end < text.size() && !common::IsCrOrLf(text[end])) ++end;
  return {start, end};
}

}  // namespace

StringList LoadPriceLines(const std::string& working_folder) {
  StringList lines;
  ForEachPriceFile(working_folder, [&](const std::string& bytes) {
    for (std::string& line : common::SplitLinesAtAnyEnd(bytes)) lines.push_back(std::move(line));
  });
  common::SortFolded(lines);
  return lines;
}

void PriceSum::Add(long long price) {
  total += price;
  ++count;
}

void PriceSum::Add(const PriceSum& other) {
  total += other.total;
  count += other.count;
}

std::string PriceSum::Average() const {
  if (count == 0) return {};
  return std::to_string(static_cast<long long>(total / count));
}

std::string AveragePrice(const StringList& price_lines, std::string_view query) {
  std::string key = AsciiLowered(query) + "^";
  PriceSum sum;
  for (const std::string& line : price_lines) {
    if (common::Contains(AsciiLowered(line) + "^", key)) sum.Add(LinePrice(line));
  }
  return sum.Average();
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
BrandPrices::BrandPrices(std::string_view brand, const StringList& models)
    : prefix_(AsciiLowered(brand) + " "), tally_(0) {
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
  tally_ = Tally(queries_.size());
  if (longest_model_ > kLongestDirectModel) direct_ = false;
  prefix_has_caret_ = common::Contains(prefix_, "^");
}

// Files of price lists a part reads at least, when they are read in parts.
constexpr std::size_t kFilesPerPart = 16;

void BrandPrices::AddPriceLists(const std::string& working_folder) {
  const std::string folder = PriceFolder(working_folder);
  const StringList names = PriceFileNames(folder);
  // The direct pass only reads what the parts share; the other one's automaton keeps state.
  const std::size_t parts = direct_ ? common::PartsFor(names.size(), kFilesPerPart) : 1;
  std::vector<Tally> tallies(parts - 1, Tally(queries_.size()));
  common::RunParts(parts, [&](std::size_t part) {
    Tally& tally = part == 0 ? tally_ : tallies[part - 1];
    const std::size_t first = names.size() * part / parts, last = names.size() * (part + 1) / parts;
    ForEachPriceFile(folder, std::span(names).subspan(first, last - first),
                     [&](std::string& bytes) {
                       common::AsciiLowerInPlace(bytes);
                       AddLoweredText(bytes, tally);
                     });
  });
  for (const Tally& tally : tallies) tally_.Join(tally);
}

void BrandPrices::Tally::Join(const Tally& other) {
  for (std::size_t query = 0; query < sums.size(); ++query) sums[query].Add(other.sums[query]);
}

void BrandPrices::AddLine(std::string_view line) {
  std::string lowered = AsciiLowered(line);
  if (HasLineEnd(lowered)) {
    AddLoweredLine(lowered, tally_);
  } else {
    AddLoweredText(lowered, tally_);
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
    tally.sums[query].Add(PriceFrom(text, line_start, caret_before ? line_start : model_end));
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
    tally.sums[query].Add(*price);
  });
}

std::string BrandPrices::AveragePriceOf(std::size_t i) const {
  return tally_.sums[query_of_model_[i]].Average();
}

std::string BrandPrices::AveragePrice(std::string_view model) const {
  std::size_t query = by_model_.Find(AsciiLowered(model));
  return query == common::TextSet::kAbsent ? std::string() : tally_.sums[query].Average();
}

}  // namespace trubkom::catalogue

namespace trubkom::catalogue {

namespace {

struct PriceEntry {
  std::string shop, page, price;
};

// The first two lines of a price file: the shop's name and its page.
std::pair<std::string, std::string> ShopLines(std::string_view bytes) {
  std::size_t end = std::min(bytes.find_first_of("\r\n"), bytes.size());
  std::string shop(bytes.substr(0, end));
  if (end < bytes.size()) end += bytes.substr(end).starts_with("\r\n") ? 2 : 1;
  std::string_view rest = bytes.substr(end);
  return {shop, std::string(rest.substr(0, std::min(rest.find_first_of("\r\n"), rest.size())))};
}

// The offers of the lines whose lowered text contains key, found by one search over a lowered copy
// of each file; each line gives one offer however often it holds the key.
std::vector<PriceEntry> CollectOffers(const std::string& working_folder, const std::string& key) {
  std::vector<PriceEntry> offers;
  if (HasLineEnd(key)) return offers;  // no line holds it
  std::string lowered;
  common::SubstringSearch search(key);
  ForEachPriceFile(working_folder, [&](const std::string& bytes) {
    lowered.assign(bytes);
    common::AsciiLowerInPlace(lowered);
    std::optional<std::pair<std::string, std::string>> shop;  // read when first needed
    for (std::size_t from = 0, at; (at = search.Find(lowered, from)) != std::string_view::npos;) {
      LineSpan line = LineAround(lowered, at, from);
      if (!shop) shop = ShopLines(bytes);
      std::string_view text = std::string_view(bytes).substr(line.start, line.end - line.start);
      offers.push_back({shop->first, shop->second, std::string(common::After(text, "^"))});
      from = line.end;
    }
  });
  return offers;
}

// The offers of the block's rows, up to three: each drawn at random among the offers not shown
// yet, so that three or more offers give three different rows and neighbours never repeat. The
// first row also differs from a first draw that is not shown.
std::vector<std::uint32_t> PickBlockOffers(std::uint32_t n, common::Random& random) {
  std::uint32_t previous = random.Below(n);
  std::vector<std::uint32_t> picked;
  while (picked.size() < std::min<std::uint32_t>(n, 3)) {
    std::vector<std::uint32_t> candidates;
    for (std::uint32_t e = 0; e < n; ++e) {
      bool shown = std::find(picked.begin(), picked.end(), e) != picked.end();
      if (!shown && !(picked.empty() && n > 1 && e == previous)) candidates.push_back(e);
    }
    picked.push_back(candidates[random.Below(static_cast<std::uint32_t>(candidates.size()))]);
  }
  return picked;
}

std::string BlockRow(const PriceEntry& e) {
  return "<tr><td class=\"normal2\"><a href=\"./adv/prices/html/" + e.page + "\">" + e.shop +
         "</a></td><td width=\"10\" class=\"normal2\"><img src=\"./px.gif\" height=\"10\"></td>"
         "<td align=\"right\" valign=\"middle\" class=\"normal3\">" +
         e.price + common::Cp1251FromUtf8(" р.") +
         "</td></tr><tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" "
         "height=\"4\"></td></tr>";
}

// shop_pages: the folder of the shops' pages, with a "/" after it.
std::string TableRow(const PriceEntry& e, const std::string& shop_pages) {
  return "<tr><td width=\"7%\"></td><td width=\"60%\" valign=\"middle\" "
         "class=\"pricelstShop\">\r\n"
         "<a href=\"" +
         common::FileUrl(shop_pages) + e.page + "\" class=\"pricelstShop\">\r\n" + e.shop +
         "</a></td><td width=\"8%\"><img src=\"./images/shim.gif\" width=\"1\" "
         "height=\"30\"></td>\r\n"
         "<td width=\"20%\" class=\"pricelstPrice\">" +
         e.price + common::Cp1251FromUtf8(" р.") + "</td><td width=\"7%\"></td></tr>\r\n";
}

std::string TableEnd() {
  return "<tr><td width=\"7%\">&nbsp;</td><td colspan=\"3\"><img src=\"./images/shim.gif\" "
         "height=\"40\"></td><td width=\"7%\">&nbsp;</td></tr>\r\n"
         "<tr><td width=\"7%\">&nbsp;</td><td colspan=\"3\" class=\"subNavDefault2\">" +
         common::Cp1251FromUtf8(
             "По вопросам размещения прайс-листов или иной рекламы обращаться сюда: ") +
         "<a href=\"mailto:" + std::string(kContactEmail) + "\" class=\"subNavDefault2\">" +
         std::string(kContactEmail) +
         "</a></td>\r\n"
         "<td width=\"7%\">&nbsp;</td></tr></table>\r\n";
}

// model: "brand model", for the page's heading (<!model!>).
void WritePricePage(const std::string& working_folder, const std::string& table,
                    const std::string& model) {
  std::string template_path = TemplatesPath(working_folder, "price_template.html");
  if (!common::IsFile(template_path)) return;
  StringList lines = ReadTemplate(working_folder, "price_template.html");
  std::string advertisement_folder =
      common::FileUrl(common::ResolvePath(working_folder, "adv/advertisement") + "/");
  FillTemplate(lines,
               {{"vacantpath", advertisement_folder}, {"pricetable", table}, {"model", model}});
  common::WriteLinesCrLf(TemplatesPath(working_folder, "price_temp.html"), lines);
}

}  // namespace

std::string BuildPriceBlock(const Folders& folders, std::string_view brand, std::string_view model,
                            common::Random& random) {
  std::string key = AsciiLowered(std::string(brand) + " " + std::string(model) + "^");
  std::vector<PriceEntry> offers = CollectOffers(folders.working, key);
  if (offers.empty()) return {};
  auto n = static_cast<std::uint32_t>(offers.size());
  std::string block =
      "<br><br><table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">";
  for (std::uint32_t e : PickBlockOffers(n, random)) block += BlockRow(offers[e]);
  std::string table =
      "<table width=\"100%\" border=\"0\" align=\"center\" cellpadding=\"0\" cellspacing=\"0\">";
  std::string shop_pages = common::ResolvePath(folders.working, "adv/prices/html") + "/";
  for (const PriceEntry& offer : offers) table += TableRow(offer, shop_pages);
  block +=
      "<tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" height=\"3\"></td></tr>"
      "<tr><td colspan=\"3\" class=\"normalgray\"><a href=\"./price_temp.html\" "
      "class=\"normalgray\">" +
      common::Cp1251FromUtf8("Все цены (") + std::to_string(n) + ") >></a></td></tr></table>";
  table += TableEnd();
  WritePricePage(folders.working, table, std::string(brand) + " " + std::string(model));
  return block;
}

}  // namespace trubkom::catalogue
