// A page template with its placeholders: the input is every template of a small catalogue, and
// the short, full and comparison pages are built from it. Each page must be written and shown;
// a template line without a placeholder must reach the page as it is (on the short page at its
// own place, the page having as many lines as the template); and the placeholder each page fills
// last, whose value holds none, must be gone.
#include <algorithm>
#include <filesystem>
#include <optional>
#include <string_view>

#include "catalogue/advertising.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/model_page.h"
#include "common/line_file.h"
#include "common/string_ops.h"
#include "fuzz_support.h"
#include "selection/property_vocabulary.h"

using namespace trubkom;

namespace {

class RecordingBrowser : public common::Browser {
 public:
  void ShowFile(const std::string& path) override { shown = path; }
  void ShowAddress(const std::string& address) override { shown = address; }
  void Stop() override {}

  std::string shown;
};

class CountingRandom : public common::Random {
 public:
  std::uint32_t Below(std::uint32_t bound) override { return next_++ % bound; }

 private:
  std::uint32_t next_ = 0;
};

std::string MakeCatalogue() {
  std::string root = fuzz::FreshFolder("template");
  fuzz::WriteFile(root + "/Base/nokia_new.xml",
                  "<?xml version=\"1.0\" encoding=\"windows-1251\"?><brand><model><Model>1100"
                  "</Model><Properties>101010101010101010101010101</Properties><Price>20</Price>"
                  "<Picture>1100.jpg</Picture></model></brand>");
  fuzz::WriteFile(root + "/adv/prices/shop.prc",
                  "Shop\r\nshop.html\r\nNokia 1100^100\r\nNokia N80^300\r\n");
  fuzz::WriteFile(
      root + "/config.tkm",
      "[adv_text]\r\n{\r\nT(htmlcode)<!model!>(/htmlcode)l.html\r\n{/\r\n"
      "[/adv_text]\r\n[adv_pagebanner]\r\nb.gif%<!price_list!>\r\n[/adv_pagebanner]\r\n");
  return root;
}

// The page's lines as written, once it was written and shown.
common::StringList WrittenPage(const catalogue::PageFile& page, RecordingBrowser& browser) {
  fuzz::Require(page.ok(), "the page is written");
  fuzz::Require(browser.shown == *page, "the page written is shown");
  browser.shown.clear();
  common::Result<std::string> bytes = common::ReadFile(*page);
  fuzz::Require(bytes.ok(), "the page can be read");
  return common::SplitLinesAtCr(*bytes);
}

bool HasPlaceholder(std::string_view line) { return common::Contains(line, "<!"); }

// Whether every template line without a placeholder stands in the page, in the same order.
bool KeepsPlainLines(const common::StringList& template_lines, const common::StringList& page) {
  auto at = page.begin();
  for (const std::string& line : template_lines) {
    if (HasPlaceholder(line)) continue;
    at = std::find(at, page.end(), line);
    if (at == page.end()) return false;
    ++at;
  }
  return true;
}

bool AnyHolds(const common::StringList& lines, std::string_view text) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return common::Contains(line, text); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string root = MakeCatalogue();
  std::filesystem::remove(root + "/Templates/price_temp.html");  // the short page writes it again
  for (const char* name : {"model_template.html", "model_template_new.html",
                           "compare_template.html", "price_template.html"}) {
    fuzz::WriteFile(root + "/Templates/" + name, fuzz::AsText(data, size));
  }
  catalogue::Folders folders{root, root};
  catalogue::CatalogueData library(root);
  common::LineTable index = {"Nokia|N80|48(1)|0(2)|4(1)|12(15)|\\nokia\\n80.jpg"};
  catalogue::Advertising adv;
  catalogue::ReadConfigFile(root, adv);
  RecordingBrowser browser;
  CountingRandom random;
  catalogue::PageContext context{folders, library, index, selection::PropertyVocabulary::Builtin(),
                                 adv,     browser, random};
  const common::StringList template_lines = common::SplitLinesAtCr(fuzz::AsText(data, size));

  // The short page fills its placeholders line by line, each value without a line end.
  common::StringList page =
      WrittenPage(catalogue::ShowModelPage(context, "Nokia", "1100"), browser);
  fuzz::Require(page.size() == template_lines.size(), "the short page has the template's lines");
  for (std::size_t i = 0; i < page.size(); ++i) {
    fuzz::Require(HasPlaceholder(template_lines[i]) || page[i] == template_lines[i],
                  "the short page keeps a line without a placeholder at its place");
  }
  fuzz::Require(!AnyHolds(page, "<!price_list!>"), "the short page fills its price list");
  common::Result<std::string> price_page = common::ReadFile(root + "/Templates/price_temp.html");
  fuzz::Require(price_page.ok() && !AnyHolds(common::SplitLinesAtCr(*price_page), "<!pricetable!>"),
                "the price page is written and fills its table");

  page = WrittenPage(catalogue::ShowModelPage(context, "Nokia", "N80 *"), browser);
  fuzz::Require(KeepsPlainLines(template_lines, page), "the full page keeps plain lines");
  fuzz::Require(page.size() >= template_lines.size(), "the tables take a line or more each");
  for (std::string_view filled : {"<!table1!>", "<!table2!>", "<!price_list!>"}) {
    fuzz::Require(!AnyHolds(page, filled), "the full page fills its tables and price list");
  }

  page = WrittenPage(catalogue::ShowComparePage(context, "Nokia 1100^Nokia N80 *^"), browser);
  fuzz::Require(KeepsPlainLines(template_lines, page), "the comparison page keeps plain lines");
  fuzz::Require(!AnyHolds(page, "<!tables!>"), "the comparison page fills its tables");
  return 0;
}
