#pragma once

#include <cstddef>
#include <string>

#include "common/string_ops.h"

// The rotating advertising of the description pages, read from config.tkm.
namespace trubkom::catalogue {

struct Advertising {
  // Text items: title "(htmlcode)" body "(/htmlcode)" link.
  common::StringList items;
  // Banner lines: picture, or picture "%" link.
  common::StringList banner_lines;
  // The current item of each list; past the end reads as empty text.
  std::size_t text_position = 0;
  std::size_t banner_position = 0;
};

// A link to the current item's page in the program's folder, with the item's title as text.
std::string AdvTitleHtml(const Advertising& adv, const std::string& program_folder);
// The HTML between the current item's markers.
std::string AdvBodyHtml(const Advertising& adv);
// The current banner's picture, linked when the line names a link.
std::string PageBannerHtml(const Advertising& adv, const std::string& program_folder);

void AdvanceTextPosition(Advertising& adv);
void AdvanceBannerPosition(Advertising& adv);

}  // namespace trubkom::catalogue
