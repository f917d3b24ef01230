#include "catalogue/compare_page.h"

#include "catalogue/feature_flags.h"
#include "catalogue/page_file.h"
#include "common/encoding.h"
#include "common/paths.h"

namespace trubkom::catalogue {

using namespace common::literals;
using common::At;
using common::StringList;

namespace {

std::string ValueRow(const std::string& value) {
  return "<tr><td class=\"CompareInfo\">" + value + "</td></tr>";
}

std::string CompareYesNoRow(std::string_view flags, std::size_t k) {
  switch (Flag(flags, k)) {
    case '0':
      return std::string("<tr><td class=\"CompareInfo\">Нет</td></tr>"_cp1251);
    case '1':
      return std::string("<tr><td class=\"CompareInfoDark\">Есть</td></tr>"_cp1251);
    default:
      return "<tr><td class=\"CompareInfoDark\">?</td></tr>";
  }
}

// An entry without a blank names no model: its brand is the whole entry and its model empty.
common::BrandAndModel SplitEntry(const std::string& entry) {
  common::BrandAndModel row;
  if (!common::SplitRow(entry, row)) row.brand = entry;
  return row;
}

std::string CompareColumn(CatalogueData& data, const std::string& entry) {
  common::BrandAndModel row = SplitEntry(entry);
  StringList f = common::SplitCarets(data.GetProps2(row.brand, row.model));
  const std::string& flags = At(f, field::kProperties);
  StringList parts = {"<tr><td class=\"CompareInfoBig\">" + entry + "</td></tr>",
                      At(f, field::kPrice).empty() ? "<tr><td class=\"CompareInfo\"></td></tr>"
                                                   : ValueRow(At(f, field::kPrice) + " $")};
  for (field::Index value :
       {field::kStandart, field::kSizes, field::kWeight, field::kFormFact, field::kAntenna,
        field::kSar, field::kWaitTime, field::kWorkTime, field::kAccType}) {
    parts.push_back(ValueRow(At(f, value)));
  }
  for (std::size_t k : {4, 25, 18, 19, 2, 1, 3, 5, 6, 17}) {
    parts.push_back(CompareYesNoRow(flags, k));
  }
  parts.push_back(ValueRow(At(f, field::kProgrMel)));
  parts.push_back(CompareYesNoRow(flags, 16));
  if (Flag(flags, 0) == '0') parts.push_back(ValueRow(std::string("Монохромный"_cp1251)));
  if (Flag(flags, 0) == '1') parts.push_back(ValueRow(std::string("Цветной"_cp1251)));
  parts.push_back(ValueRow(At(f, field::kDispRows)));
  for (std::size_t k : {7, 8, 9, 10, 11, 14, 15, 12, 13, 20, 23, 24, 22, 21}) {
    parts.push_back(CompareYesNoRow(flags, k));
  }
  parts.push_back("</table></td>");

  std::string column =
      "<td width=\"20%\" valign=\"top\"><table width=\"100%\" border=\"0\" cellspacing=\"0\">\r\n";
  for (const std::string& part : parts) column += part + "\r\n";
  return column;
}

}  // namespace

PageFile ShowComparePage(PageContext& c, const std::string& basket_text) {
  StringList lines = ReadTemplate(c.folders.working, "compare_template.html");
  std::string pictures, columns;
  for (const std::string& entry : common::SplitCarets(basket_text)) {
    common::BrandAndModel row = SplitEntry(entry);
    StringList f = common::SplitCarets(c.data.GetProps2(row.brand, row.model));
    std::string picture = PicturePath(c.folders.working, row.brand, At(f, field::kPicture));
    pictures += "<td style=\"padding-left:10px\"><img src=\"" + common::FileUrl(picture) +
                "\" alt=\"" + entry + "\" height=\"200\"></td>\r\n";
    columns += CompareColumn(c.data, entry);
  }
  FillTemplate(lines, {{"images", pictures}, {"tables", columns}});
  return ShowPage(c.folders.working, lines, c.browser);
}

}  // namespace trubkom::catalogue
