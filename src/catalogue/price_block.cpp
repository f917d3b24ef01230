#include "catalogue/price_block.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "catalogue/page_file.h"
#include "catalogue/price_files.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/substring_search.h"
#include "common/warnings.h"

namespace trubkom::catalogue {

using namespace common::literals;
using common::AsciiLowered;
using common::StringList;

namespace {

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
std::vector<PriceEntry> CollectOffers(const std::string& working_folder, const std::string& key,
                                      BrandPrices* also) {
  std::vector<PriceEntry> offers;
  const bool any = !HasLineEnd(key);  // else no line holds it
  if (!any && also == nullptr) return offers;
  std::string lowered;
  common::SubstringSearch search(key);
  ForEachPriceFile(working_folder, [&](const std::string& bytes) {
    lowered.assign(bytes);
    common::AsciiLowerInPlace(lowered);
    if (also != nullptr) also->AddLoweredText(lowered);
    if (!any) return;
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
         e.price + std::string(" р."_cp1251) +
         "</td></tr><tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" "
         "height=\"4\"></td></tr>";
}

// shop_pages: the folder of the shops' pages.
std::string TableRow(const PriceEntry& e, const std::string& shop_pages) {
  std::string shop_page = common::FileUrl(common::ResolvePath(shop_pages, e.page));
  return "<tr><td width=\"7%\"></td><td width=\"60%\" valign=\"middle\" "
         "class=\"pricelstShop\">\r\n"
         "<a href=\"" +
         shop_page + "\" class=\"pricelstShop\">\r\n" + e.shop +
         "</a></td><td width=\"8%\"><img src=\"./images/shim.gif\" width=\"1\" "
         "height=\"30\"></td>\r\n"
         "<td width=\"20%\" class=\"pricelstPrice\">" +
         e.price + std::string(" р."_cp1251) + "</td><td width=\"7%\"></td></tr>\r\n";
}

std::string TableEnd() {
  return "<tr><td width=\"7%\">&nbsp;</td><td colspan=\"3\"><img src=\"./images/shim.gif\" "
         "height=\"40\"></td><td width=\"7%\">&nbsp;</td></tr>\r\n"
         "<tr><td width=\"7%\">&nbsp;</td><td colspan=\"3\" class=\"subNavDefault2\">" +
         std::string(
             "По вопросам размещения прайс-листов или иной рекламы обращаться сюда: "_cp1251) +
         "<a href=\"mailto:" + std::string(kContactEmail) + "\" class=\"subNavDefault2\">" +
         std::string(kContactEmail) +
         "</a></td>\r\n"
         "<td width=\"7%\">&nbsp;</td></tr></table>\r\n";
}

// The page of all offers, which the block links to. A catalogue without its template gets none
// (and a link to nothing, as it always had); a page that cannot be written is warned of. model:
// "brand model", for the page's heading (<!model!>).
common::Status WritePricePage(const Folders& folders, const std::string& table,
                              const std::string& model) {
  const std::string& working_folder = folders.working;
  std::string template_path = TemplatesPath(working_folder, "price_template.html");
  if (!common::IsFile(template_path)) return {};
  StringList lines = ReadTemplate(working_folder, "price_template.html");
  std::string advertisement_folder =
      common::FileUrl(common::ResolvePath(working_folder, "adv/advertisement") + "/");
  FillTemplate(lines,
               {{"vacantpath", advertisement_folder}, {"pricetable", table}, {"model", model}});
  return common::WriteLinesCrLf(WrittenPagePath(folders, "price_temp.html"), lines);
}

}  // namespace

std::string BuildPriceBlock(const Folders& folders, std::string_view brand, std::string_view model,
                            common::Random& random, BrandPrices* also) {
  std::string key = AsciiLowered(std::string(brand) + " " + std::string(model) + "^");
  std::vector<PriceEntry> offers = CollectOffers(folders.working, key, also);
  if (offers.empty()) return {};
  auto n = static_cast<std::uint32_t>(offers.size());
  std::string block =
      "<br><br><table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">";
  for (std::uint32_t e : PickBlockOffers(n, random)) block += BlockRow(offers[e]);
  std::string table =
      "<table width=\"100%\" border=\"0\" align=\"center\" cellpadding=\"0\" cellspacing=\"0\">";
  std::string shop_pages = common::ResolvePath(folders.working, "adv/prices/html");
  for (const PriceEntry& offer : offers) table += TableRow(offer, shop_pages);
  table += TableEnd();
  common::Status written =
      WritePricePage(folders, table, std::string(brand) + " " + std::string(model));
  if (!written) {
    common::Warn(common::Utf8FromCp1251(written.error().message) +
                 "; на странице модели нет ссылки на все цены");
    return block + "</table>";
  }
  block +=
      "<tr><td colspan=\"3\" class=\"normal2\"><img src=\"./px.gif\" height=\"3\"></td></tr>"
      "<tr><td colspan=\"3\" class=\"normalgray\"><a href=\"./price_temp.html\" "
      "class=\"normalgray\">" +
      std::string("Все цены ("_cp1251) + std::to_string(n) + ") >></a></td></tr></table>";
  return block;
}

}  // namespace trubkom::catalogue
