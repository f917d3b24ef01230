#pragma once

#include <string>

#include "catalogue/advertising.h"
#include "common/string_ops.h"

// config.tkm in the program's folder: the advertising sections "[adv_text]" (items between a
// line with "{" and a line with "{/") and "[adv_pagebanner]" (one banner a line).
namespace trubkom::catalogue {

inline constexpr const char* kConfigFileName = "config.tkm";

// Reads the items and banner lines of the configuration text, in file order. A section or item
// whose closing line is missing ends at the end of the text, keeping what was read.
void ParseConfig(const common::StringList& lines, common::StringList& items,
                 common::StringList& banner_lines);

// Appends the configuration file's advertising to adv and resets both positions; false, with
// adv unchanged, when the file is missing. A file that exists but cannot be read counts as one
// without advertising (and is warned of).
bool ReadConfigFile(const std::string& program_folder, Advertising& adv);

}  // namespace trubkom::catalogue
