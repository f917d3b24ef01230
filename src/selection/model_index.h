#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/line_table.h"

// The model index Base/base.tkm: one line per fully described model, "brand|model|P(V)|...".
namespace trubkom::selection {

// The lines of the index file, none changed or dropped (a line ends at CR or CR LF only);
// nothing when the file does not exist.
std::optional<common::LineTable> LoadModelIndex(const std::string& working_folder);

// The mark after a model's name in the lists ("6230 *"): the index has a line for the model, so
// its page is the full description.
inline constexpr std::string_view kFullDescriptionMark = " *";

// The brand field (before the first '|') and the model field (between the first and second).
std::string_view IndexBrand(std::string_view line);
std::string_view IndexModel(std::string_view line);

}  // namespace trubkom::selection
