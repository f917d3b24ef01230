// trubkom-catalogue: shows from the command line what the program would show for the catalogue
// in the working folder, calling the same code as the window.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/brand_list.h"
#include "catalogue/folders.h"
#include "common/encoding.h"
#include "selection/model_index.h"

namespace {

using namespace trubkom;

constexpr const char* kUsage =
    "Usage: trubkom-catalogue COMMAND [ARGUMENTS]\n"
    "Run it in a catalogue folder. Commands:\n"
    "  brands                       the brand box's entries, in order\n";

catalogue::Folders CurrentFolders() {
  std::error_code error;
  std::string program = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  return {std::filesystem::current_path().string(), program};
}

void PrintLine(const std::string& cp1251) { std::cout << common::Utf8FromCp1251(cp1251) << '\n'; }

int Brands(const catalogue::Folders& folders) {
  common::StringList index = selection::LoadModelIndex(folders.working).value_or(common::StringList{});
  for (const std::string& brand : catalogue::BrandBoxEntries(folders.working, index)) {
    PrintLine(brand);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  catalogue::Folders folders = CurrentFolders();
  const std::string& command = args[0];
  if (command == "brands" && args.size() == 1) return Brands(folders);
  std::cerr << "trubkom-catalogue: unknown command or wrong arguments: " << command << "\n"
            << kUsage;
  return 2;
}
