// The demo catalogue tells one truth per model: for every row of every brand's models list, the
// model's page and its comparison column say the same things, and the page's offers make the
// price the row shows; so they do after the demo updates are applied.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>

#include "catalogue/brand_list.h"
#include "catalogue/compare_page.h"
#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/folder_copy.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "selection/model_index.h"
#include "selection/new_models.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/apply_package.h"
#include "update/update_script.h"

namespace trubkom::catalogue {
namespace {

using testing::W;
using Cells = std::map<std::string, std::string>;  // label -> value, Windows-1251

std::vector<std::string> Matches(const std::string& text, const std::regex& pattern, int group) {
  std::vector<std::string> found;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
       it != std::sregex_iterator(); ++it) {
    found.push_back((*it)[group]);
  }
  return found;
}

// The label and value rows of a full model page.
Cells FullPageCells(const std::string& page) {
  static const std::regex row(
      "<td width=\"50%\" class=\"normal\">([^<]*)</td><td><img[^>]*></td>"
      "<td width=\"50%\" class=\"normal\">([^<]*)</td>");
  Cells cells;
  for (auto it = std::sregex_iterator(page.begin(), page.end(), row); it != std::sregex_iterator();
       ++it) {
    cells[(*it)[1]] = (*it)[2];
  }
  return cells;
}

// The comparison page of one model: each label of the labels column with the model's value.
Cells ComparisonCells(const std::string& page) {
  std::size_t labels_start = page.find("class=\"labels\"");
  std::size_t labels_end = page.find("</table>", labels_start);
  if (labels_start == std::string::npos || labels_end == std::string::npos) return {};
  std::vector<std::string> labels = Matches(page.substr(labels_start, labels_end - labels_start),
                                            std::regex("<td[^>]*>([^<]*)</td>"), 1);
  std::vector<std::string> values = Matches(
      page.substr(labels_end),
      std::regex(
          "class=\"CompareInfo[A-Za-z ]*\">([^<]*)(<span class=\"PriceTrend\">[^<]*</span>)?</td>"),
      1);
  Cells cells;
  if (labels.size() != values.size()) return cells;
  for (std::size_t i = 0; i < labels.size(); ++i) cells[labels[i]] = values[i];
  return cells;
}

// The average of the prices on the page of all offers, as the models list averages them.
std::string AverageOffer(const std::string& price_page) {
  std::vector<std::string> prices =
      Matches(price_page, std::regex("class=\"pricelstPrice\">([0-9]+) "), 1);
  if (prices.empty()) return {};
  long long sum = 0;
  for (const std::string& price : prices) sum += std::stoll(price);
  return std::to_string(sum / static_cast<long long>(prices.size()));
}

// A yes/no row of the comparison as the full page says it: a row of the page present (and not
// "нет").
std::string YesNo(const Cells& page, const char* label) {
  auto row = page.find(W(label));
  return row != page.end() && row->second != W("нет") ? W("Есть") : W("Нет");
}

std::string Value(const Cells& cells, const char* label) {
  auto row = cells.find(W(label));
  return row == cells.end() ? "<none>" : row->second;
}

std::string Contains(const Cells& page, const char* label, const char* word) {
  return Value(page, label).find(word) != std::string::npos ? W("Есть") : W("Нет");
}

// What the comparison column says that the full page must say too: the comparison's label, its
// value, and the page's.
std::vector<std::array<std::string, 3>> Disagreements(const Cells& compare, const Cells& page) {
  std::string screen = Value(page, "Тип экрана");
  std::vector<std::array<std::string, 3>> pairs = {
      {"Стандарт", Value(compare, "Стандарт"), Value(page, "Диапазоны частот")},
      {"Размеры", Value(compare, "Размеры"), Value(page, "Размеры")},
      {"Вес", Value(compare, "Вес"), Value(page, "Вес, гр") + W(" г")},
      {"Корпус", Value(compare, "Корпус"), Value(page, "Тип корпуса")},
      {"Антенна", Value(compare, "Антенна"), Value(page, "Антенна")},
      {"Время ожидания", Value(compare, "Время ожидания"), Value(page, "Время ожидания")},
      {"Время разговора", Value(compare, "Время разговора"), Value(page, "Время разговора")},
      {"Аккумулятор", Value(compare, "Аккумулятор"),
       Value(page, "Тип аккумулятора") + " " + Value(page, "Емкость аккумулятора")},
      {"Свои мелодии", Value(compare, "Свои мелодии"), Value(page, "Число мелодий")},
      {"Дисплей", Value(compare, "Дисплей"),
       screen.starts_with(W("цветной")) ? W("Цветной") : W("Монохромный")},
      {"Инфракрасный порт", Value(compare, "Инфракрасный порт"),
       Contains(page, "Интерфейсы", "IRDA")},
      {"Bluetooth", Value(compare, "Bluetooth"), Contains(page, "Интерфейсы", "Bluetooth")},
      {"EMS", Value(compare, "EMS"), YesNo(page, "EMS")},
      {"MMS", Value(compare, "MMS"), YesNo(page, "MMS")},
      {"Модем", Value(compare, "Модем"), YesNo(page, "Модем")},
      {"Виброзвонок", Value(compare, "Виброзвонок"), YesNo(page, "Виброзвонок")},
      {"Органайзер", Value(compare, "Органайзер"), YesNo(page, "Органайзер")},
      {"Громкая связь", Value(compare, "Громкая связь"),
       YesNo(page, "Громкая связь(встроенный динамик)")},
      {"Игры", Value(compare, "Игры"), YesNo(page, "Игры")},
      {"MP3-проигрыватель", Value(compare, "MP3-проигрыватель"), Contains(page, "Аудио", "MP3")},
      {"FM-приёмник", Value(compare, "FM-приёмник"), Contains(page, "Аудио", "FM")},
      {"Цифровая видеокамера", Value(compare, "Цифровая видеокамера"),
       YesNo(page, "Встроенная фотокамера")},
      {"Java", Value(compare, "Java"), YesNo(page, "Java-приложения")},
  };
  std::vector<std::array<std::string, 3>> differing;
  for (const auto& pair : pairs) {
    if (pair[1] != pair[2]) differing.push_back(pair);
  }
  return differing;
}

// Applies the sources of the demo update packages (demo/updates/<name>), oldest first, line by
// line as a package's scripts run.
void ApplyDemoUpdates(const std::string& working) {
  std::string updates = testing::DemoFolder() + "/updates";
  std::vector<std::string> packages;
  for (const auto& entry : std::filesystem::directory_iterator(updates)) {
    packages.push_back(entry.path().filename().string());
  }
  std::sort(packages.begin(), packages.end(), [](const std::string& a, const std::string& b) {
    return common::CompareUpdateDates(common::DateCodeOf(a), common::DateCodeOf(b)) < 0;
  });
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  for (const std::string& package : packages) {
    std::string folder = updates + "/" + package;
    for (const std::string& script : update::UpdateScripts(folder)) {
      auto text = common::ReadFile(folder + "/" + script);
      ASSERT_TRUE(text) << script;
      for (const std::string& line : common::SplitLinesAtAnyEnd(*text)) {
        ASSERT_TRUE(update::ExecuteScriptLine(line, folder, working, {status, messages, shell}))
            << package << ": " << line;
      }
    }
  }
}

class DemoCatalogue : public ::testing::TestWithParam<bool> {};

TEST_P(DemoCatalogue, PagesComparisonsAndListsAgreeForEveryModel) {
  testing::TempCatalogue root;
  Folders folders{root.Path("catalogue"), root.Path("program")};
  ASSERT_TRUE(common::CopyFolder(testing::DemoFolder() + "/catalogue", folders.working));
  ASSERT_TRUE(common::CopyFolder(testing::DemoFolder() + "/program", folders.program));
  if (GetParam()) ApplyDemoUpdates(folders.working);

  CatalogueData data(folders.working);
  common::LineTable index =
      selection::LoadModelIndex(folders.working).value_or(common::LineTable{});
  Advertising advertising;
  testing::FakeBrowser browser;
  testing::ScriptedRandom random;
  PageContext context{folders,     data,    index, selection::PropertyVocabulary::Builtin(),
                      advertising, browser, random};
  auto page_text = [&](const char* name) {
    return common::ReadFile(common::ResolvePath(folders.working, name)).value_or("");
  };

  std::size_t models = 0;
  for (const std::string& brand : BrandBoxEntries(folders.working, index)) {
    for (const ModelRow& row : FillModelList(folders, data, index, brand, false)) {
      ++models;
      std::string entry = brand + " " + row.model;
      SCOPED_TRACE(common::Utf8FromCp1251(entry));
      // The brand files' own spellings of names that the index spells otherwise.
      for (const char* spelling : {"ot ", "sgh ", "sch ", "sph "}) {
        EXPECT_FALSE(row.model.starts_with(spelling)) << "a name as the brand files spell it";
      }
      std::string model = row.model.substr(0, row.model.find(" *"));
      bool full = row.model.ends_with(" *");

      ASSERT_TRUE(ShowModelPage(context, brand, row.model));
      std::string page = page_text("Templates/temp.html");
      EXPECT_NE(page.find(" " + model), std::string::npos) << "the page does not name the model";
      bool offers = page.find(W("Все цены (")) != std::string::npos;
      std::string average = offers ? AverageOffer(page_text("Templates/price_temp.html")) : "";
      EXPECT_EQ(average, row.price) << "the page's offers and the list's price";

      ASSERT_TRUE(ShowComparePage(context, entry + "^"));
      Cells compare = ComparisonCells(page_text("Templates/temp.html"));
      if (compare.empty()) {
        ADD_FAILURE() << "no comparison column";
        continue;
      }
      EXPECT_EQ(compare[W("Модель")], entry);
      if (!full) continue;  // the short page is made of the comparison's own record
      for (const auto& [label, compared, shown] : Disagreements(compare, FullPageCells(page))) {
        ADD_FAILURE() << label << ": the comparison says " << common::Utf8FromCp1251(compared)
                      << ", the page " << common::Utf8FromCp1251(shown);
      }
    }
  }
  EXPECT_GT(models, 300u);

  // The new models that the updates announce are listed, with the prices they bring.
  for (const std::string& file : selection::FindNewModelFiles(folders.working)) {
    for (const std::string& announced :
         selection::NewModelRows(file).value_or(common::StringList{})) {
      SCOPED_TRACE(common::Utf8FromCp1251(announced));
      std::optional<common::BrandAndModel> parts = common::SplitRow(announced);
      ASSERT_TRUE(parts);
      std::optional<ModelRow> row =
          FindListedModel(folders, data, index, parts->brand, parts->model);
      ASSERT_TRUE(row) << "not listed";
      EXPECT_FALSE(row->price.empty()) << "no price";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AsShippedAndUpdated, DemoCatalogue, ::testing::Values(false, true));

}  // namespace
}  // namespace trubkom::catalogue
