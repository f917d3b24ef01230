// A page template with its placeholders: the input is every template of a small catalogue, and
// the short, full and comparison pages are built from it.
#include "catalogue/advertising.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/model_page.h"
#include "common/line_file.h"
#include "fuzz_support.h"
#include "selection/property_vocabulary.h"

using namespace trubkom;

namespace {

class NullBrowser : public common::Browser {
 public:
  void ShowFile(const std::string&) override {}
  void ShowAddress(const std::string&) override {}
  void Stop() override {}
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string root = MakeCatalogue();
  for (const char* name : {"model_template.html", "model_template_new.html",
                           "compare_template.html", "price_template.html"}) {
    fuzz::WriteFile(root + "/Templates/" + name, fuzz::AsText(data, size));
  }
  catalogue::Folders folders{root, root};
  catalogue::CatalogueData library(root);
  common::LineTable index = {"Nokia|N80|48(1)|0(2)|4(1)|12(15)|\\nokia\\n80.jpg"};
  catalogue::Advertising adv;
  catalogue::ReadConfigFile(root, adv);
  NullBrowser browser;
  CountingRandom random;
  catalogue::PageContext context{folders, library, index, selection::PropertyVocabulary::Builtin(),
                                 adv,     browser, random};
  // The fuzzer's templates folder may be anything, so a page may fail to be written.
  (void)catalogue::ShowModelPage(context, "Nokia", "1100");
  (void)catalogue::ShowModelPage(context, "Nokia", "N80 *");
  (void)catalogue::ShowComparePage(context, "Nokia 1100^Nokia N80 *^");
  return 0;
}
