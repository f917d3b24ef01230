#include "catalogue/compare_page.h"

#include <algorithm>

#include "catalogue/brand_spellings.h"
#include "catalogue/compare_price_row.h"
#include "catalogue/compare_rows.h"
#include "catalogue/page_file.h"
#include "catalogue/price_chart.h"
#include "catalogue/price_history.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/html_text.h"
#include "common/line_file.h"
#include "common/paths.h"

namespace trubkom::catalogue {

using namespace common::literals;
using common::At;
using common::StringList;

namespace {

const std::string kColumnStart =
    "<td width=\"20%\" valign=\"top\"><table width=\"100%\" border=\"0\" cellspacing=\"0\">\r\n";
const std::string kColumnEnd = "</table></td>\r\n";

// What a cell shows: the price with its currency, anything else as written.
std::string CellText(const CompareRow& row, const CompareCell& cell) {
  return row.measure == Measure::kPrice && !cell.text.empty() ? cell.text + " $" : cell.text;
}

// ---- The page as it has always been -------------------------------------------------------

std::string PlainColumn(const std::vector<CompareRow>& rows, std::size_t model) {
  std::string column = kColumnStart;
  for (const CompareRow& row : rows) {
    const CompareCell& cell = row.cells[model];
    if (!cell.present) continue;
    column += "<tr><td class=\"" + cell.css_class + "\">" + CellText(row, cell) + "</td></tr>\r\n";
  }
  return column + kColumnEnd;
}

// ---- The page with the titles, the marks and the switch ------------------------------------

// Which rows the page shows: the names always, the others unless only differences are asked
// for and all models agree.
std::vector<bool> ShownRows(const std::vector<CompareRow>& rows, bool only_differences) {
  std::vector<bool> shown;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    shown.push_back(i == 0 || !only_differences || !AllAgree(rows[i]));
  }
  return shown;
}

std::string RowStart(const std::vector<CompareRow>& rows, std::size_t i) {
  return i > 0 && AllAgree(rows[i]) ? "<tr class=\"CompareSame\">" : "<tr>";
}

std::string LabelsColumn(const std::vector<CompareRow>& rows, const std::vector<bool>& shown) {
  std::string column =
      "<td width=\"20%\" valign=\"top\"><table class=\"labels\" width=\"100%\" border=\"0\" "
      "cellspacing=\"0\">\r\n";
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!shown[i]) continue;
    column += RowStart(rows, i) + (i == 0 ? "<td class=\"head\">" : "<td>") +
              common::HtmlEscaped(rows[i].label) + "</td></tr>\r\n";
  }
  return column + kColumnEnd;
}

std::string MarkedColumn(const std::vector<CompareRow>& rows, const std::vector<bool>& shown,
                         std::size_t model, const std::string& trend) {
  std::string column = kColumnStart;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (!shown[i]) continue;
    const CompareCell& cell = rows[i].cells[model];
    std::string css = cell.css_class + (BestCells(rows[i])[model] ? " CompareBest" : "");
    std::string text = common::HtmlEscaped(CellText(rows[i], cell));
    if (i == 0 && !trend.empty()) text += "<span class=\"PriceTrend\">&nbsp;" + trend + "</span>";
    column += RowStart(rows, i) + "<td class=\"" + css + "\">" + text + "</td></tr>\r\n";
  }
  return column + kColumnEnd;
}

// A button in a form that goes to the other page file: Space and Enter work it as a check box's
// keys do, with no script (pages run none), and it says its state to a screen reader. It has
// the page's focus, so that a second Space, on the page the first one opened, switches back.
std::string Switch(bool only_differences) {
  std::string_view target = only_differences ? kAllRowsPage : kDifferencesPage;
  return "<form class=\"DifferencesSwitch" + std::string(only_differences ? " On" : "") +
         "\" action=\"./" + std::string(target) +
         "\" method=\"get\"><button type=\"submit\" role=\"switch\" autofocus aria-checked=\"" +
         (only_differences ? "true" : "false") + "\"><span class=\"SwitchBox\">" +
         (only_differences ? "&#10003;" : "&nbsp;") + "</span> " +
         std::string("Только различия"_cp1251) + "</button></form>";
}

struct Entries {
  StringList texts;  // "brand model", as the basket holds them
  std::vector<common::BrandAndModel> names;
};

Entries SplitEntries(const std::string& basket_text) {
  Entries entries;
  for (const std::string& entry : common::SplitCarets(basket_text)) {
    common::BrandAndModel name = common::SplitRow(entry).value_or(common::BrandAndModel{entry, {}});
    entries.texts.push_back(entry);
    entries.names.push_back(std::move(name));
  }
  return entries;
}

std::string Pictures(PageContext& c, const Entries& entries, bool escaped) {
  std::string pictures;
  for (std::size_t i = 0; i < entries.texts.size(); ++i) {
    const common::BrandAndModel& name = entries.names[i];
    StringList f = common::SplitCarets(c.data.GetProps2(name.brand, name.model));
    // The pictures lie where the model page finds them: Sony-Ericsson's under its files' spelling.
    std::string picture =
        PicturePath(c.folders.working, ShortPageBrand(name.brand), At(f, field::kPicture));
    std::string alt = escaped ? common::HtmlEscaped(entries.texts[i]) : entries.texts[i];
    pictures += "<td style=\"padding-left:10px\"><img src=\"" + common::FileUrl(picture) +
                "\" alt=\"" + alt + "\" height=\"200\"></td>\r\n";
  }
  return pictures;
}

StringList MarkedPage(StringList lines, const std::vector<CompareRow>& rows,
                      const std::string& pictures, const StringList& trends,
                      bool only_differences) {
  std::vector<bool> shown = ShownRows(rows, only_differences);
  std::string columns;
  for (std::size_t model = 0; model < trends.size(); ++model) {
    columns += MarkedColumn(rows, shown, model, trends[model]);
  }
  FillTemplate(lines, {{"compare_switch", Switch(only_differences)},
                       {"labels", LabelsColumn(rows, shown)},
                       {"images", pictures},
                       {"tables", columns}});
  return lines;
}

bool HoldsLabels(const StringList& lines) {
  return std::any_of(lines.begin(), lines.end(),
                     [](const std::string& line) { return common::Contains(line, "<!labels!>"); });
}

// The program's own labelled page for a template without <!labels!>: the template's head (its
// style sheet, its title) and the start of its body, then the switch, the pictures above the
// label column and a column per model, scrolled sideways when they do not fit.
StringList OwnLabelledTemplate(const StringList& lines) {
  StringList own;
  for (const std::string& line : lines) {
    std::size_t body = common::AsciiLowered(line).find("<body");
    if (body == std::string::npos) {
      own.push_back(line);
      continue;
    }
    std::size_t end = line.find('>', body);
    own.push_back(line.substr(0, end == std::string::npos ? line.size() : end + 1));
    break;
  }
  if (own.size() == lines.size()) {
    // No body found: a plain head of its own, with the catalogue's style sheet where it lies.
    own = {
        "<html><head><meta charset=\"windows-1251\"><link rel=\"stylesheet\" "
        "href=\"./style.css\"></head><body>"};
  }
  own.insert(
      own.end(),
      {"<div class=\"CompareLabelled\" style=\"overflow-x:auto\">", "<p><!compare_switch!></p>",
       "<table class=\"compare\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
       "<td width=\"20%\"></td><!images!></tr></table>",
       "<table class=\"compare-rows\" width=\"100%\" cellspacing=\"0\" cellpadding=\"0\">"
       "<tr><!labels!><!tables!></tr></table>",
       "</div></body></html>"});
  return own;
}

// The page of a template without <!labels!>, as it has always been.
StringList PlainPage(PageContext& c, StringList lines, const Entries& entries,
                     const std::vector<CompareRow>& rows) {
  std::string columns;
  for (std::size_t model = 0; model < entries.texts.size(); ++model) {
    columns += PlainColumn(rows, model);
  }
  FillTemplate(lines, {{"images", Pictures(c, entries, false)}, {"tables", columns}});
  return lines;
}

}  // namespace

PageFile ShowComparePage(PageContext& c, const std::string& basket_text, bool only_differences) {
  StringList lines = ReadTemplate(c.folders.working, "compare_template.html");
  Entries entries = SplitEntries(basket_text);
  std::vector<CompareRow> rows = ComparisonRows(c.data, entries.texts);
  const bool labelled = HoldsLabels(lines);
  // A template without labels gives the page it always had, unless only the differences are
  // asked for: then the program's own labelled layout, in the catalogue's style.
  if (!labelled && !only_differences) {
    return ShowPage(c.folders, PlainPage(c, lines, entries, rows), c.browser);
  }
  const StringList page_lines = labelled ? lines : OwnLabelledTemplate(lines);
  std::vector<CompareRow> marked = rows;
  marked.insert(marked.begin() + 2, ShopPriceRow(c.folders.working, entries.names));
  PriceHistory history = PriceHistory::Load(c.folders.working);
  StringList trends;
  for (const common::BrandAndModel& name : entries.names) {
    trends.push_back(PriceTrendArrow(history.Of(name.brand, name.model)));
  }
  std::string pictures = Pictures(c, entries, true);
  // Both states of the switch are written, so that it flips between them without the window;
  // with a template without labels, all the rows are its own page.
  for (bool differences : {false, true}) {
    std::string path = WrittenPagePath(c.folders, differences ? kDifferencesPage : kAllRowsPage);
    StringList page = differences || labelled
                          ? MarkedPage(page_lines, marked, pictures, trends, differences)
                          : PlainPage(c, lines, entries, rows);
    if (common::Status written = common::WriteLinesCrLf(path, page); !written) {
      return written.error();
    }
  }
  return ShowPage(c.folders, MarkedPage(page_lines, marked, pictures, trends, only_differences),
                  c.browser);
}

std::optional<bool> DifferencesChoiceOf(std::string_view file_name) {
  if (file_name == kDifferencesPage) return true;
  if (file_name == kAllRowsPage) return false;
  return std::nullopt;
}

}  // namespace trubkom::catalogue
