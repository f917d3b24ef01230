#include "catalogue/config_file.h"

#include "common/line_file.h"
#include "common/paths.h"
#include "common/warnings.h"

namespace trubkom::catalogue {

using common::Contains;
using common::StringList;

namespace {

class LineReader {
 public:
  explicit LineReader(const StringList& lines) : lines_(lines) {}
  // The next line, or null at the end.
  const std::string* Next() { return next_ < lines_.size() ? &lines_[next_++] : nullptr; }

 private:
  const StringList& lines_;
  std::size_t next_ = 0;
};

bool OpensItem(const std::string& line) { return Contains(line, "{") && !Contains(line, "{/"); }

void ReadItems(LineReader& reader, StringList& items) {
  while (const std::string* line = reader.Next()) {
    if (*line == "[/adv_text]") return;
    if (!OpensItem(*line)) continue;
    std::string item;
    while ((line = reader.Next()) && !Contains(*line, "{/")) item += *line;
    items.push_back(std::move(item));
    if (!line) return;
  }
}

void ReadBanners(LineReader& reader, StringList& banner_lines) {
  while (const std::string* line = reader.Next()) {
    if (*line == "[/adv_pagebanner]") return;
    banner_lines.push_back(*line);
  }
}

}  // namespace

void ParseConfig(const StringList& lines, StringList& items, StringList& banner_lines) {
  LineReader reader(lines);
  while (const std::string* line = reader.Next()) {
    if (!Contains(*line, "[") || Contains(*line, "[/")) continue;
    if (*line == "[adv_text]") ReadItems(reader, items);
    if (*line == "[adv_pagebanner]") ReadBanners(reader, banner_lines);
  }
}

bool ReadConfigFile(const std::string& program_folder, Advertising& adv) {
  std::string path = common::ResolvePath(program_folder, kConfigFileName);
  if (!common::IsFile(path)) return false;
  ParseConfig(common::SplitLinesAtAnyEnd(
                  common::ValueOrWarn(common::ReadFile(path, common::kSettingFileCap))),
              adv.items, adv.banner_lines);
  adv.text_position = 0;
  adv.banner_position = 0;
  return true;
}

}  // namespace trubkom::catalogue
