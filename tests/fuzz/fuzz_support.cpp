#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>

#include "common/line_file.h"
#include "common/private_folder.h"

namespace trubkom::fuzz {

namespace fs = std::filesystem;

void Require(bool condition, std::string_view what) {
  if (condition) return;
  std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

const std::string& ScratchRoot() {
  static const auto folder = std::make_unique<common::PrivateFolder>("trubkom-fuzz-");
  Require(folder->ok(), "scratch folder");
  return folder->path();
}

std::string FreshFolder(std::string_view name) {
  fs::path path = fs::path(ScratchRoot()) / name;
  std::error_code ignored;
  fs::remove_all(path, ignored);
  fs::create_directories(path);
  return path.string();
}

void WriteFile(const std::string& path, std::string_view bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

std::string Snapshot(const std::string& folder) {
  std::set<std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    fs::file_status status = it->symlink_status();
    std::string entry = it->path().lexically_relative(folder).string() + " " +
                        std::to_string(static_cast<int>(status.type()));
    if (fs::is_symlink(status)) entry += " -> " + fs::read_symlink(it->path()).string();
    if (fs::is_regular_file(status)) {
      std::string bytes = common::ReadFile(it->path().string()).value_or("?");
      entry += " " + std::to_string(bytes.size()) + " " +
               std::to_string(std::hash<std::string>{}(bytes));
    }
    entries.insert(entry);
  }
  std::string text;
  for (const std::string& entry : entries) text += entry + "\n";
  return text;
}

bool HasWideRange(std::string_view criteria, long long max_width) {
  std::size_t start = 0;
  for (std::size_t i = 0; i <= criteria.size(); ++i) {
    if (i < criteria.size() &&
        std::string_view("^[]%();").find(criteria[i]) == std::string_view::npos) {
      continue;
    }
    std::string_view item = criteria.substr(start, i - start);
    std::size_t dash = item.find('-');
    if (dash != std::string_view::npos) {
      __extension__ __int128 from = common::TextToInt(item.substr(0, dash));
      __extension__ __int128 to = common::TextToInt(item.substr(dash + 1));
      if (to - from > max_width) return true;
    }
    start = i + 1;
  }
  return false;
}

std::pair<std::string_view, std::string_view> SplitFirstLine(std::string_view text) {
  std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return {text, {}};
  return {text.substr(0, end), text.substr(end + 1)};
}

}  // namespace trubkom::fuzz
