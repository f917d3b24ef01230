#include "catalogue/price_inputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "catalogue/price_files.h"
#include "common/paths.h"

namespace trubkom::catalogue {

namespace {

void AddTo(std::uint64_t& hash, std::string_view bytes) {
  for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ULL;
  hash = (hash ^ 0xff) * 1099511628211ULL;  // a boundary no name holds
}

// "name size time inode" of every regular file of the folder that is (or is not) one of the
// price history's, sorted.
std::vector<std::string> FileMarks(const std::string& folder, bool history) {
  std::vector<std::string> marks;
  for (const std::string& name : common::ListFiles(folder, "*")) {
    const bool of_history = name == "price_history.tkh" || name == "price_history.old.tkh";
    if (of_history != history || name == "price_history.inputs") continue;
    struct stat info;
    if (::stat(common::JoinPath(folder, name).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      continue;
    }
    marks.push_back(name + " " + std::to_string(info.st_size) + " " +
                    std::to_string(info.st_mtim.tv_sec) + "." +
                    std::to_string(info.st_mtim.tv_nsec) + " " + std::to_string(info.st_ino));
  }
  std::sort(marks.begin(), marks.end());
  return marks;
}

std::string Hex(std::uint64_t hash) {
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

}  // namespace

std::string PriceInputsStamp(const std::string& working_folder) {
  std::uint64_t hash = 14695981039346656037ULL;
  // The folders by their part, not their path: a catalogue moved elsewhere keeps its stamp.
  for (const auto& [part, folder] : {std::pair{"Base", common::ResolvePath(working_folder, "Base")},
                                     std::pair{"prices", PriceFolder(working_folder)}}) {
    AddTo(hash, part);
    for (const std::string& mark : FileMarks(folder, false)) AddTo(hash, mark);
  }
  return Hex(hash);
}

std::string PriceFoldersMark(const std::string& working_folder) {
  std::string mark;
  for (const std::string& folder :
       {common::ResolvePath(working_folder, "Base"), PriceFolder(working_folder)}) {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) {
      mark += "- ";
      continue;
    }
    mark += std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) + ":" +
            std::to_string(info.st_ino) + " ";
  }
  return mark;
}

std::string PriceHistoryStamp(const std::string& working_folder) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (const std::string& mark : FileMarks(common::ResolvePath(working_folder, "Base"), true)) {
    AddTo(hash, mark);
  }
  return Hex(hash);
}

}  // namespace trubkom::catalogue
