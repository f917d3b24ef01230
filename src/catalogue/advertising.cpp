#include "catalogue/advertising.h"

#include "common/paths.h"

namespace trubkom::catalogue {

using common::After;
using common::At;
using common::Before;

namespace {

constexpr std::string_view kBodyStart = "(htmlcode)";
constexpr std::string_view kBodyEnd = "(/htmlcode)";

// The address of a file that config.tkm names relative to the program's folder ('\' read as
// '/', letter case ignored as everywhere in the catalogue).
std::string ProgramFileUrl(const std::string& program_folder, std::string_view relative) {
  return common::FileUrl(common::ResolvePath(program_folder, relative));
}

void Advance(std::size_t& position, std::size_t count) {
  if (++position == count) position = 0;
}

}  // namespace

std::string AdvTitleHtml(const Advertising& adv, const std::string& program_folder) {
  const std::string& item = At(adv.items, adv.text_position);
  return "<a href=\"" + ProgramFileUrl(program_folder, After(item, kBodyEnd)) + "\">" +
         std::string(Before(item, kBodyStart)) + "</a>";
}

std::string AdvBodyHtml(const Advertising& adv) {
  const std::string& item = At(adv.items, adv.text_position);
  std::string_view body = After(item, kBodyStart);
  std::size_t end = item.find(kBodyEnd);
  std::size_t body_start = item.size() - body.size();
  if (body.empty() || end == std::string::npos || end < body_start) return {};
  return item.substr(body_start, end - body_start);
}

std::string PageBannerHtml(const Advertising& adv, const std::string& program_folder) {
  const std::string& line = At(adv.banner_lines, adv.banner_position);
  std::size_t percent = line.find('%');
  if (percent == std::string::npos)
    return "<img src=\"" + ProgramFileUrl(program_folder, line) + "\">";
  return "<a href=\"" + ProgramFileUrl(program_folder, line.substr(percent + 1)) +
         "\"><img src=\"" + ProgramFileUrl(program_folder, line.substr(0, percent)) + "\"></a>";
}

void AdvanceTextPosition(Advertising& adv) { Advance(adv.text_position, adv.items.size()); }

void AdvanceBannerPosition(Advertising& adv) {
  Advance(adv.banner_position, adv.banner_lines.size());
}

}  // namespace trubkom::catalogue
