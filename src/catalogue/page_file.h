#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/folders.h"
#include "common/ports.h"
#include "common/result.h"
#include "common/string_ops.h"

// Pages are filled templates: "<!name!>" placeholders in HTML files of Templates/, replaced by
// HTML text without escaping, written to Templates/temp.html and shown in the browser area.
namespace trubkom::catalogue {

using Placeholder = std::pair<std::string, std::string>;  // name (without "<!" "!>"), value

// The lines of a template under Templates/ (cut at CR); none when it cannot be read (missing,
// not a regular file, or larger than common::kTemplateFileCap; all but missing are warned of).
common::StringList ReadTemplate(const std::string& working_folder, std::string_view file_name);

// Each line gets every placeholder replaced, in the order given; a value that contains a later
// placeholder is filled in turn.
void FillTemplate(common::StringList& lines, const std::vector<Placeholder>& values);

// The path of a file in Templates/ of the working folder, spelled as found on disk.
std::string TemplatesPath(const std::string& working_folder, std::string_view file_name);

// The picture of a model of the brand files: Pics/<brand>/<file> of the working folder.
std::string PicturePath(const std::string& working_folder, const std::string& brand,
                        const std::string& file);

// The path of a page the program writes (temp.html and the others), in the pages folder.
std::string WrittenPagePath(const Folders& folders, std::string_view file_name);

// What became of a page: the page file's path (temp.html of the pages folder), or why it could
// not be written, naming the file.
using PageFile = common::Result<std::string>;

// Writes the lines to temp.html of the pages folder and shows that file. When the file cannot
// be written (no Templates folder, temp.html a folder, no room) the browser is not told
// anything, so the caller can say why instead of leaving an earlier page in view.
PageFile ShowPage(const Folders& folders, const common::StringList& lines,
                  common::Browser& browser);

}  // namespace trubkom::catalogue
