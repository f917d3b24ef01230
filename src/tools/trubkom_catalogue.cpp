// trubkom-catalogue: shows from the command line what the program would show for the catalogue
// in the working folder, calling the same code as the window.
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "catalogue/brand_list.h"
#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/folders.h"
#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "common/clock_random.h"
#include "common/encoding.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "selection/property_vocabulary.h"

namespace {

using namespace trubkom;

constexpr const char* kUsage =
    "Usage: trubkom-catalogue COMMAND [ARGUMENTS]\n"
    "Run it in a catalogue folder. Commands:\n"
    "  brands                       the brand box's entries, in order\n"
    "  models BRAND [--full-only]   the models list of BRAND: model, a tab, price\n"
    "  page BRAND MODEL             writes the model's page; prints the page file's path\n"
    "  compare ENTRY...             writes the comparison page of the entries (brand model)\n"
    "  filter CRITERIA              the wizard's result rows for CRITERIA, then the count\n"
    "Arguments are UTF-8; MODEL is written as the models list shows it (\" *\" included).\n";

catalogue::Folders CurrentFolders() {
  std::error_code error;
  std::string program = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  return {std::filesystem::current_path().string(), program};
}

void PrintLine(const std::string& cp1251) { std::cout << common::Utf8FromCp1251(cp1251) << '\n'; }

std::string Arg(const std::string& utf8) { return common::Cp1251FromUtf8(utf8); }

common::StringList ModelIndex(const catalogue::Folders& folders) {
  return selection::LoadModelIndex(folders.working).value_or(common::StringList{});
}

int Brands(const catalogue::Folders& folders) {
  for (const std::string& brand :
       catalogue::BrandBoxEntries(folders.working, ModelIndex(folders))) {
    PrintLine(brand);
  }
  return 0;
}

int Models(const catalogue::Folders& folders, const std::string& brand, bool full_only) {
  catalogue::CatalogueData data(folders.working);
  for (const catalogue::ModelRow& row :
       catalogue::FillModelList(folders, data, ModelIndex(folders), Arg(brand), full_only)) {
    PrintLine(row.model + "\t" + row.price);
  }
  return 0;
}

// The page builders' view of the catalogue; pages are written, not shown.
class PageWriter : public common::Browser {
 public:
  explicit PageWriter(const catalogue::Folders& folders)
      : folders_(folders), data_(folders.working), index_(ModelIndex(folders)) {
    catalogue::ReadConfigFile(folders.program, advertising_);
  }
  catalogue::PageContext Context() {
    return {folders_,     data_, index_, selection::PropertyVocabulary::Builtin(),
            advertising_, *this, random_};
  }
  void ShowFile(const std::string&) override {}
  void ShowAddress(const std::string&) override {}
  void Stop() override {}

 private:
  const catalogue::Folders& folders_;
  catalogue::CatalogueData data_;
  common::StringList index_;
  catalogue::Advertising advertising_;
  common::ClockRandom random_;
};

int Page(const catalogue::Folders& folders, const std::string& brand, const std::string& model) {
  PageWriter writer(folders);
  catalogue::PageContext context = writer.Context();
  std::cout << catalogue::ShowModelPage(context, Arg(brand), Arg(model)) << '\n';
  return 0;
}

int Compare(const catalogue::Folders& folders, const std::vector<std::string>& entries) {
  std::string basket;
  for (const std::string& entry : entries) basket += Arg(entry) + "^";
  PageWriter writer(folders);
  catalogue::PageContext context = writer.Context();
  std::cout << catalogue::ShowComparePage(context, basket) << '\n';
  return 0;
}

int Filter(const catalogue::Folders& folders, const std::string& criteria) {
  common::StringList index = ModelIndex(folders);
  selection::IndexedLines indexed(index);
  common::StringList items = selection::FilterModels(Arg(criteria), indexed);
  for (const std::string& item : items) PrintLine(item);
  if (!items.empty())
    PrintLine(common::Cp1251FromUtf8("Подходящие модели: ") + std::to_string(items.size()));
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
  if (command == "models" && args.size() == 2) return Models(folders, args[1], false);
  if (command == "models" && args.size() == 3 && args[2] == "--full-only") {
    return Models(folders, args[1], true);
  }
  if (command == "page" && args.size() == 3) return Page(folders, args[1], args[2]);
  if (command == "compare" && args.size() >= 2) {
    return Compare(folders, std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (command == "filter" && args.size() == 2) return Filter(folders, args[1]);
  std::cerr << "trubkom-catalogue: unknown command or wrong arguments: " << command << "\n"
            << kUsage;
  return 2;
}
