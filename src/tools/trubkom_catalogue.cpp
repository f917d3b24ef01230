// trubkom-catalogue: shows from the command line what the program would show for the catalogue
// in the working folder, calling the same code as the window.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/brand_list.h"
#include "catalogue/compare_page.h"
#include "catalogue/compare_rows.h"
#include "catalogue/config_file.h"
#include "catalogue/folders.h"
#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "catalogue/model_search.h"
#include "catalogue/price_history.h"
#include "catalogue/price_range.h"
#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/clock_random.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/paths.h"
#include "common/table_cap.h"
#include "common/version.h"
#include "common/warnings.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "selection/property_vocabulary.h"
#include "tools/console.h"
#include "tools/publisher_commands.h"
#include "tools/update_commands.h"
#include "update/package_keys.h"

namespace {

using namespace trubkom;
using namespace trubkom::common::literals;
using namespace trubkom::tools;

constexpr const char* kUsage =
    "Использование: trubkom-catalogue КОМАНДА [АРГУМЕНТЫ]\n"
    "Запускайте в папке каталога. Команды:\n"
    "  brands                       строки списка производителей, по порядку\n"
    "  models ПРОИЗВОДИТЕЛЬ [--full-only]\n"
    "                               список моделей производителя: модель, табуляция, цена\n"
    "  page ПРОИЗВОДИТЕЛЬ МОДЕЛЬ    записывает страницу модели и печатает путь к её файлу\n"
    "  compare [--differences] ТЕЛЕФОН...\n"
    "                               записывает страницу сравнения телефонов; с --differences\n"
    "                               в ней только строки, в которых они различаются, и эти\n"
    "                               строки печатаются: название, затем значения моделей через\n"
    "                               табуляцию, \" (лучшее)\" после лучшего\n"
    "  prices ПРОИЗВОДИТЕЛЬ МОДЕЛЬ  минимальная, средняя и максимальная цена модели и число\n"
    "                               предложений, затем история её цен: дата, табуляция,\n"
    "                               средняя цена\n"
    "  search СЛОВА...              строки, которые поле поиска показывает для этих слов:\n"
    "                               производитель и модель, табуляция, цена\n"
    "  filter УСЛОВИЯ               результат подбора модели по условиям УСЛОВИЯ, затем число\n"
    "                               моделей; \"\" не задаёт условий и перечисляет все модели\n"
    "  help, -h, --help             этот текст;  --version  версия\n"
    "Аргументы пишутся в UTF-8. МОДЕЛЬ пишется так, как её показывает список моделей (вместе\n"
    "с \" *\"), ТЕЛЕФОН — как его показывает корзина: производитель и модель (\"Nokia 3310\").\n"
    "Производитель известен, если он есть в списке производителей или у него есть модели.\n"
    "Код возврата: 0 — команда выполнена (в стандартный поток ошибок могут выводиться\n"
    "предупреждения о повреждённых файлах каталога), 1 — команда не выполнена (неизвестный\n"
    "производитель или модель, страница не записана, текущей папки нет, в ней нет каталога или\n"
    "команда не может в ней писать), 2 — неверные аргументы.\n";

// What the scripts of an update package (upd*.tkm) may say, one command a line; names are
// Windows paths relative to the package and to the catalogue folder.
constexpr const char* kScriptUsage =
    "Строки сценариев обновления (upd*.tkm в пакете):\n"
    "  ADDFILE ФАЙЛ TO ПАПКА\\       добавляет файл пакета ФАЙЛ в папку ПАПКА, если его там нет\n"
    "  ADDTOFILE ФАЙЛ TO ЦЕЛЬ       дописывает в конец файла ЦЕЛЬ строки файла пакета ФАЙЛ\n"
    "  REPLACEFILE ЦЕЛЬ WITH ФАЙЛ   заменяет файл ЦЕЛЬ файлом пакета ФАЙЛ\n"
    "  DELETEFILE ЦЕЛЬ              удаляет файл ЦЕЛЬ\n"
    "  MESSAGE ТЕКСТ                показывает ТЕКСТ в окне сообщения\n"
    "  URLMESSAGE ТЕКСТ URL АДРЕС   показывает ТЕКСТ; \"ОК\" открывает веб-адрес или адрес\n"
    "                               почты АДРЕС\n";

void PrintUsage(std::ostream& out) {
  out << kUsage << tools::kPublisherUsage << tools::kUpdateUsage << kScriptUsage;
}

// Fails when the working folder no longer exists (deleted while the shell stood in it).
common::Result<catalogue::Folders> CurrentFolders() {
  std::error_code error;
  std::filesystem::path working = std::filesystem::current_path(error);
  if (error) {
    return common::Error{common::ErrorCode::kMissing,
                         common::Cp1251FromUtf8("текущая папка недоступна: ") +
                             common::SystemReason(error.value(), false)};
  }
  std::error_code ignored;
  std::string executable = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
  return catalogue::Folders{working.string(), catalogue::ProgramFolder(executable)};
}

// The index lines of the brands a command is about, in the spellings the lists and pages use,
// read a piece at a time: a command about one brand holds that brand's lines alone.
// Given every_brand, the same read finds the brands of every line, which the brand box lists.
common::LineTable IndexOfBrands(const catalogue::Folders& folders,
                                const std::vector<std::string>& brands,
                                selection::IndexBrands* every_brand = nullptr) {
  std::vector<std::string> spellings;
  for (const std::string& brand : brands) {
    spellings.insert(spellings.end(),
                     {brand, catalogue::LibraryBrand(brand), catalogue::ShortPageBrand(brand)});
  }
  return common::ValueOrWarn(
      selection::LoadModelIndexOfBrands(folders.working, spellings, every_brand));
}

int Brands(const catalogue::Folders& folders) {
  for (const std::string& brand : catalogue::BrandBoxEntries(
           folders.working, common::ValueOrWarn(selection::ReadIndexBrands(folders.working)))) {
    PrintLine(brand);
  }
  return 0;
}

// The brands' full models lists a command reads, each read once (and the price lists with it)
// however often the command asks.
class ModelLists {
 public:
  ModelLists(const catalogue::Folders& folders, catalogue::CatalogueData& data,
             const common::LineTable& index)
      : folders_(folders), data_(data), index_(index) {}

  const std::vector<catalogue::ModelRow>& Of(const std::string& brand) {
    auto found = lists_.find(brand);
    if (found == lists_.end()) {
      found = lists_.emplace(brand, catalogue::FillModelList(folders_, data_, index_, brand, false))
                  .first;
    }
    return found->second;
  }
  // The model's row in a list read already; none when its list was not needed.
  std::optional<catalogue::ModelRow> ReadRow(const std::string& brand,
                                             const std::string& model) const {
    auto found = lists_.find(brand);
    if (found == lists_.end()) return std::nullopt;
    return catalogue::FindRow(found->second, model);
  }

 private:
  const catalogue::Folders& folders_;
  catalogue::CatalogueData& data_;
  const common::LineTable& index_;
  std::map<std::string, std::vector<catalogue::ModelRow>> lists_;
};

// As the window has it: a brand the box shows, or one written otherwise (a spelling of the
// index, say) whose models list the window fills all the same. The index's brands come with the
// command's own lines, from the same read.
bool IsKnownBrand(const catalogue::Folders& folders, const selection::IndexBrands& index_brands,
                  ModelLists& lists, const std::string& brand) {
  for (const std::string& entry : catalogue::BrandBoxEntries(folders.working, index_brands)) {
    if (common::EqualsIgnoringAsciiCase(entry, brand)) return true;
  }
  return !lists.Of(brand).empty();
}

int UnknownBrand(const std::string& brand) {
  return Fail("неизвестный производитель: " + brand +
              " (его нет в выводе «brands», и моделей у него не найдено)");
}

int Models(const catalogue::Folders& folders, const std::string& brand, bool full_only) {
  selection::IndexBrands index_brands;
  const common::LineTable index =
      IndexOfBrands(folders, {common::Cp1251FromUtf8(brand)}, &index_brands);
  catalogue::CatalogueData data(folders.working);
  ModelLists lists(folders, data, index);
  if (!IsKnownBrand(folders, index_brands, lists, common::Cp1251FromUtf8(brand))) {
    return UnknownBrand(brand);
  }
  for (const catalogue::ModelRow& row :
       catalogue::FillModelList(folders, data, index, common::Cp1251FromUtf8(brand), full_only)) {
    PrintLine(row.model + "\t" + row.price);
  }
  return 0;
}

// The page builders' view of the catalogue; pages are written, not shown.
class PageWriter : public common::Browser {
 public:
  // brands: those of the pages to write, whose index lines alone are read.
  PageWriter(const catalogue::Folders& folders, const std::vector<std::string>& brands)
      : folders_(folders),
        data_(folders.working),
        index_(IndexOfBrands(folders, brands, &index_brands_)) {
    if (!catalogue::ReadConfigFile(folders.program, advertising_)) {
      common::Warn(std::string(catalogue::kConfigFileName) + ": нет в папке программы " +
                   folders.program + "; страницы будут без рекламы");
    }
  }
  const selection::IndexBrands& index_brands() const { return index_brands_; }
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
  selection::IndexBrands index_brands_;  // of every line, read with the brands' own
  common::LineTable index_;
  catalogue::Advertising advertising_;
  common::ClockRandom random_;
};

// Prints the page file's path, or says that it could not be written.
int Written(const catalogue::PageFile& page) {
  if (!page) return Fail("страница не записана: " + common::Utf8FromCp1251(page.error().message));
  std::cout << *page << '\n';
  return 0;
}

// A model that the brand's models list shows, or whose record the brand files hold.
bool IsKnownModel(catalogue::PageContext& context, ModelLists& lists, const std::string& brand,
                  const std::string& model) {
  if (!context.data.GetProps2(catalogue::LibraryBrand(brand), model).empty()) return true;
  return catalogue::FindRow(lists.Of(brand), model).has_value();
}

// The model's price figures when its list has been read: the same as PriceFiguresOf finds.
std::optional<catalogue::ModelPriceFigures> KnownFigures(const ModelLists& lists,
                                                         const std::string& brand,
                                                         const std::string& model) {
  std::optional<catalogue::ModelRow> row = lists.ReadRow(brand, model);
  if (!row) return std::nullopt;
  return catalogue::ModelPriceFigures{row->price, row->range};
}

// The status of a command about one model (UTF-8) whose brand or model is unknown; none when
// both are known.
std::optional<int> UnknownBrandOrModel(const catalogue::Folders& folders, const PageWriter& writer,
                                       catalogue::PageContext& context, ModelLists& lists,
                                       const std::string& brand, const std::string& model) {
  const std::string b = common::Cp1251FromUtf8(brand), m = common::Cp1251FromUtf8(model);
  if (!IsKnownBrand(folders, writer.index_brands(), lists, b)) return UnknownBrand(brand);
  if (!IsKnownModel(context, lists, b, m)) {
    return Fail("неизвестная модель: " + model + " (её нет в выводе «models " + brand + "»)");
  }
  return std::nullopt;
}

int Page(const catalogue::Folders& folders, const std::string& brand, const std::string& model) {
  PageWriter writer(folders, {common::Cp1251FromUtf8(brand)});
  catalogue::PageContext context = writer.Context();
  const std::string b = common::Cp1251FromUtf8(brand), m = common::Cp1251FromUtf8(model);
  ModelLists lists(folders, context.data, context.model_index.lines());
  if (std::optional<int> failed =
          UnknownBrandOrModel(folders, writer, context, lists, brand, model)) {
    return *failed;
  }
  const std::optional<catalogue::ModelPriceFigures> figures = KnownFigures(lists, b, m);
  return Written(catalogue::ShowModelPage(context, b, m, figures ? &*figures : nullptr));
}

// The rows in which the models differ, as the page with the switch on shows them.
void PrintDifferences(catalogue::CatalogueData& data, const common::StringList& entries) {
  std::vector<catalogue::CompareRow> rows = catalogue::ComparisonRows(data, entries);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    if (catalogue::AllAgree(rows[i])) continue;
    std::vector<bool> best = catalogue::BestCells(rows[i]);
    std::string line = rows[i].label;
    for (std::size_t model = 0; model < best.size(); ++model) {
      line += "\t" + rows[i].cells[model].text +
              (best[model] ? std::string(" (лучшее)"_cp1251) : std::string());
    }
    PrintLine(line);
  }
}

int Compare(const catalogue::Folders& folders, const std::vector<std::string>& entries,
            bool only_differences) {
  std::vector<std::string> brands;
  for (const std::string& entry : entries) {
    std::optional<common::BrandAndModel> parts = common::SplitRow(common::Cp1251FromUtf8(entry));
    if (parts) brands.push_back(parts->brand);
  }
  PageWriter writer(folders, brands);
  catalogue::PageContext context = writer.Context();
  ModelLists lists(folders, context.data, context.model_index.lines());
  std::string basket;
  common::StringList cp1251_entries;
  for (const std::string& entry : entries) {
    std::string cp1251 = common::Cp1251FromUtf8(entry);
    std::optional<common::BrandAndModel> parts = common::SplitRow(cp1251);
    if (!parts || !IsKnownModel(context, lists, parts->brand, parts->model)) {
      return Fail("неизвестная модель: " + entry +
                  " (нужны производитель и модель из его списка моделей)");
    }
    basket += cp1251 + "^";
    cp1251_entries.push_back(cp1251);
  }
  int status = Written(catalogue::ShowComparePage(context, basket, only_differences));
  if (status == 0 && only_differences) PrintDifferences(context.data, cp1251_entries);
  return status;
}

// The figures of the model page's price line, then the points of its chart.
int Prices(const catalogue::Folders& folders, const std::string& brand, const std::string& model) {
  PageWriter writer(folders, {common::Cp1251FromUtf8(brand)});
  catalogue::PageContext context = writer.Context();
  const std::string b = common::Cp1251FromUtf8(brand), m = common::Cp1251FromUtf8(model);
  ModelLists lists(folders, context.data, context.model_index.lines());
  if (std::optional<int> failed =
          UnknownBrandOrModel(folders, writer, context, lists, brand, model)) {
    return *failed;
  }
  const std::optional<catalogue::ModelPriceFigures> known = KnownFigures(lists, b, m);
  const catalogue::ModelPriceFigures figures =
      known ? *known : catalogue::PriceFiguresOf(folders, b, m);
  if (figures.range.offers == 0) {
    PrintLine(std::string("Нет предложений"_cp1251));
  } else {
    PrintLine(std::string("Минимальная: "_cp1251) + std::to_string(figures.range.low));
    PrintLine(std::string("Средняя: "_cp1251) + figures.average);
    PrintLine(std::string("Максимальная: "_cp1251) + std::to_string(figures.range.high));
    PrintLine(std::string("Предложений: "_cp1251) + std::to_string(figures.range.offers));
  }
  for (const catalogue::PricePoint& point :
       catalogue::PriceHistory::Load(folders.working).Of(b, m)) {
    PrintLine(common::DisplayDate(point.date_code) + "\t" + std::to_string(point.price));
  }
  return 0;
}

int Filter(const catalogue::Folders& folders, const std::string& criteria) {
  common::Result<common::LinePieces> index = selection::OpenModelIndexPieces(folders.working);
  common::StringList items;
  if (index) {
    items = selection::FilterModels(common::Cp1251FromUtf8(criteria), *index);
    if (common::Status read = index->ReadFailure(); !read) common::WarnUnlessMissing(read.error());
  } else {
    common::WarnUnlessMissing(index.error());
  }
  for (const std::string& item : items) PrintLine(item);
  PrintLine(std::string("Подходящие модели: "_cp1251) + std::to_string(items.size()));
  return 0;
}

constexpr std::size_t kPrintBlock = std::size_t{1} << 16;

// The words are typed as into the window's search field, blanks between them.
int Search(const catalogue::Folders& folders, const std::vector<std::string>& words) {
  const common::LineTable index =
      common::ValueOrWarn(selection::LoadModelIndexHeads(folders.working));
  catalogue::CatalogueData data(folders.working);
  std::string typed;
  for (const std::string& word : words) typed += common::Cp1251FromUtf8(word) + " ";
  catalogue::ModelSearch search = catalogue::BuildModelSearch(
      folders, data, index, catalogue::BrandBoxEntries(folders.working, index));
  // Rows as FoundModel writes them ("brand model", a tab, the price), written out in blocks.
  std::string rows;
  search.ForEachFound(typed, [&](const catalogue::FoundModel& found) {
    rows.append(found.brand).append(" ").append(found.model).append("\t").append(found.price);
    rows += '\n';
    if (rows.size() >= kPrintBlock) {
      PrintText(rows);
      rows.clear();
    }
  });
  PrintText(rows);
  return 0;
}

bool IsOneOf(const std::string& command, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (command == name) return true;
  }
  return false;
}

// Commands that read the catalogue of the working folder, and those of them that write in it
// (pages in Templates/, the update run's files in the folder itself).
constexpr std::initializer_list<const char*> kCatalogueCommands = {
    "brands",      "models",     "page",   "compare", "filter", "search",
    "last-update", "new-models", "update", "check",   "apply",  "prices"};
constexpr std::initializer_list<const char*> kPageCommands = {"page", "compare"};
constexpr std::initializer_list<const char*> kUpdateCommands = {"update", "apply"};

// A command for a catalogue, run where there is none or where it cannot write, fails at once
// naming the folder, instead of printing nothing or failing file by file.
std::optional<int> RefusedFolder(const std::string& command, const std::string& working) {
  if (!IsOneOf(command, kCatalogueCommands)) return std::nullopt;
  if (!catalogue::IsCatalogueFolder(working)) {
    return Fail("это не папка каталога (в ней нет папок Base и Templates): " + working);
  }
  common::Status writable;
  if (IsOneOf(command, kPageCommands)) {
    writable = common::CheckFolderWritable(common::ResolvePath(working, "Templates"));
  } else if (IsOneOf(command, kUpdateCommands)) {
    writable = common::CheckFolderWritable(working);
  }
  if (!writable) {
    return Fail("каталог нельзя изменять: " + common::Utf8FromCp1251(writable.error().message));
  }
  return std::nullopt;
}

int Run(const std::vector<std::string>& args) {
  common::Result<catalogue::Folders> found = CurrentFolders();
  if (!found) return Fail(found.error());
  const catalogue::Folders& folders = *found;
  const std::string& command = args[0];
  if (auto refused = RefusedFolder(command, folders.working)) return *refused;
  if (command == "brands" && args.size() == 1) return Brands(folders);
  if (command == "models" && args.size() == 2) return Models(folders, args[1], false);
  if (command == "models" && args.size() == 3 && args[2] == "--full-only") {
    return Models(folders, args[1], true);
  }
  if (command == "page" && args.size() == 3) return Page(folders, args[1], args[2]);
  if (command == "compare" && args.size() >= 3 && args[1] == "--differences") {
    return Compare(folders, std::vector<std::string>(args.begin() + 2, args.end()), true);
  }
  if (command == "compare" && args.size() >= 2) {
    return Compare(folders, std::vector<std::string>(args.begin() + 1, args.end()), false);
  }
  if (command == "prices" && args.size() == 3) return Prices(folders, args[1], args[2]);
  if (command == "filter" && args.size() == 2) return Filter(folders, args[1]);
  if (command == "search" && args.size() >= 2) {
    return Search(folders, std::vector<std::string>(args.begin() + 1, args.end()));
  }
  if (auto code = tools::RunPublisherCommand(args)) return *code;
  if (auto code = tools::RunUpdateCommand(args)) return *code;
  std::cerr << "trubkom-catalogue: неизвестная команда или неверные аргументы: " << command << "\n";
  PrintUsage(std::cerr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Only iostreams write here: the output need not wait on C's stdio line by line.
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    PrintUsage(std::cerr);
    return 2;
  }
  if (args.size() == 1 && (args[0] == "help" || args[0] == "-h" || args[0] == "--help")) {
    PrintUsage(std::cout);
    return 0;
  }
  if (args == std::vector<std::string>{"--version"}) {
    std::cout << "trubkom-catalogue " << kVersion << '\n';
    if (update::BuiltWithDemoKeys()) {
      std::cout << "Эта сборка доверяет демонстрационным ключам: она установит пакет "
                   "обновления, подписанный кем угодно. Только для демонстрации.\n";
    }
    return 0;
  }
  StderrWarnings warnings;
  common::SetWarningSink(&warnings);
  try {
    return Run(args);
  } catch (const common::TableTooLarge& e) {
    // As the window says it: a table of the catalogue outgrew what the program can address.
    return Fail(std::string("каталог слишком велик для программы (") + e.what() + ")");
  } catch (const std::exception& e) {
    // Nothing the catalogue holds should get here; if it does, say so rather than abort.
    return Fail(std::string("непредвиденная ошибка: ") + e.what());
  }
}
