#pragma once

#include <optional>
#include <string>

#include "common/result.h"
#include "common/string_ops.h"

// The "Новинки" list: every applied update package leaves updates/<base name>.new in the
// working folder, one added model "brand model" a line. The lists are shown one file at a time,
// newest first by the date in the file's name.
namespace trubkom::selection {

// The paths of the new-model files that can be shown, newest first: files "*.new" of the
// working folder's updates folder whose first line has two characters or more. Files of the
// same date keep the order of their names.
common::StringList FindNewModelFiles(const std::string& working_folder);

// The date label of a file: DD.MM.YY from characters 4 to 9 of its name, as they stand.
std::string NewModelFileDate(const std::string& path);

// The rows of a file: every line, empty ones included, in file order; or why it cannot be read.
common::Result<common::StringList> NewModelRows(const std::string& path);

}  // namespace trubkom::selection
