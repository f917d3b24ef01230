#include "catalogue/price_lists.h"

#include <algorithm>
#include <optional>
#include <unordered_set>
#include <vector>

#include "catalogue/page_file.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"

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

template <typename Visit>
void ForEachPriceFile(const std::string& working_folder, Visit visit) {
  std::string folder = PriceFolder(working_folder);
  for (const std::string& name : common::ListFiles(folder, "*.prc")) {
    auto bytes = common::ReadFileBytes(common::JoinPath(folder, name), common::kDataFileCap);
    if (bytes) visit(*bytes);
  }
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

StringList LoweredQueries(const std::string& prefix, const StringList& models) {
  StringList queries;
  std::unordered_set<std::string> seen;
  for (const std::string& model : models) {
    std::string query = prefix + AsciiLowered(model);
    if (seen.insert(query).second) queries.push_back(std::move(query));
  }
  return queries;
}

StringList WithCarets(StringList texts) {
  for (std::string& text : texts) text += '^';
  return texts;
}

}  // namespace

BrandPrices::BrandPrices(std::string_view brand, const StringList& models)
    : prefix_(AsciiLowered(brand) + " "),
      queries_(LoweredQueries(prefix_, models)),
      sums_(queries_.size()),
      patterns_(WithCarets(queries_)) {
  for (std::size_t i = 0; i < queries_.size(); ++i) index_.emplace(queries_[i], i);
}

void BrandPrices::AddPriceLists(const std::string& working_folder) {
  ForEachPriceFile(working_folder, [&](std::string& bytes) {
    common::AsciiLowerInPlace(bytes);
    AddLoweredText(bytes);
  });
}

void BrandPrices::AddLine(std::string_view line) { AddLoweredLine(AsciiLowered(line)); }

void BrandPrices::AddLoweredText(std::string_view text) {
  common::ForEachLine(text, common::IsCrOrLf,
                      [this](std::string_view line) { AddLoweredLine(line); });
}

// A query belongs to the line when query + "^" occurs in line + "^"; each query counts once per
// line, however often it occurs. Every query begins with the brand prefix, so the search starts
// at the prefix's first occurrence, and lines without the brand cost one search only.
void BrandPrices::AddLoweredLine(std::string_view lowered) {
  std::size_t start = lowered.find(prefix_);
  if (start == std::string_view::npos) return;
  std::string text = std::string(lowered.substr(start)) + "^";
  std::optional<long long> price;  // read when first needed
  patterns_.ForEachFound(text, [&](std::size_t query) {
    if (!price) price = LinePrice(lowered);
    sums_[query].Add(*price);
  });
}

std::string BrandPrices::AveragePrice(std::string_view model) const {
  auto found = index_.find(prefix_ + AsciiLowered(model));
  return found == index_.end() ? std::string() : sums_[found->second].Average();
}

}  // namespace trubkom::catalogue

namespace trubkom::catalogue {

namespace {

struct PriceEntry {
  std::string shop, page, price;
};

std::vector<PriceEntry> CollectOffers(const std::string& working_folder, const std::string& key) {
  std::vector<PriceEntry> offers;
  ForEachPriceFile(working_folder, [&](const std::string& bytes) {
    StringList lines = common::SplitLinesAtAnyEnd(bytes);
    for (const std::string& line : lines) {
      if (!common::Contains(AsciiLowered(line), key)) continue;
      offers.push_back(
          {common::At(lines, 0), common::At(lines, 1), std::string(common::After(line, "^"))});
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

std::string TableRow(const PriceEntry& e, const std::string& working_folder) {
  std::string shop_pages = common::ResolvePath(working_folder, "adv/prices/html") + "/";
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

void WritePricePage(const std::string& working_folder, const std::string& table) {
  std::string template_path = TemplatesPath(working_folder, "price_template.html");
  if (!common::IsFile(template_path)) return;
  StringList lines = ReadTemplate(working_folder, "price_template.html");
  std::string advertisement_folder =
      common::FileUrl(common::ResolvePath(working_folder, "adv/advertisement") + "/");
  FillTemplate(lines, {{"vacantpath", advertisement_folder}, {"pricetable", table}});
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
  for (const PriceEntry& offer : offers) table += TableRow(offer, folders.working);
  block +=
      "<tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" height=\"3\"></td></tr>"
      "<tr><td colspan=\"3\" class=\"normalgray\"><a href=\"./price_temp.html\" "
      "class=\"normalgray\">" +
      common::Cp1251FromUtf8("Все цены (") + std::to_string(n) + ") >></a></td></tr></table>";
  table += TableEnd();
  WritePricePage(folders.working, table);
  return block;
}

}  // namespace trubkom::catalogue
