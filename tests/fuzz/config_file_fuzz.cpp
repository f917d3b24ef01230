// config.tkm: the advertising sections and items, then the HTML made of them.
#include "catalogue/advertising.h"
#include "catalogue/config_file.h"
#include "common/line_file.h"
#include "fuzz_support.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::AsText(data, size);
  catalogue::Advertising adv;
  catalogue::ParseConfig(common::SplitLinesAtAnyEnd(text), adv.items, adv.banner_lines);
  fuzz::Require(adv.items.size() + adv.banner_lines.size() <= size, "more items than lines");
  for (std::size_t i = 0; i <= adv.items.size() || i <= adv.banner_lines.size(); ++i) {
    catalogue::AdvTitleHtml(adv, "/program");
    catalogue::AdvBodyHtml(adv);
    catalogue::PageBannerHtml(adv, "/program");
    catalogue::AdvanceTextPosition(adv);
    catalogue::AdvanceBannerPosition(adv);
  }
  return 0;
}
