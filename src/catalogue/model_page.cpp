#include "catalogue/model_page.h"

#include <algorithm>
#include <array>
#include <vector>

#include "catalogue/brand_spellings.h"
#include "catalogue/feature_flags.h"
#include "catalogue/page_file.h"
#include "catalogue/price_block.h"
#include "catalogue/price_chart.h"
#include "catalogue/price_range.h"
#include "common/encoding.h"
#include "common/html_text.h"
#include "common/paths.h"
#include "common/warnings.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using namespace common::literals;
using common::At;
using common::ReplaceAll;
using common::StringList;
using selection::kFullDescriptionMark;

namespace {

// ---- The price range and history, on either page -----------------------------------------

bool TemplateHolds(const StringList& lines, std::string_view placeholder) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::string& line) { return common::Contains(line, placeholder); });
}

// The values of <!price_range!> and <!price_chart!>, found only for a template that holds them:
// each costs a read of the price lists or of the history.
std::vector<Placeholder> PriceExtras(const PageContext& c, const StringList& lines,
                                     const std::string& brand, const std::string& model,
                                     const ModelPriceFigures* figures) {
  std::vector<Placeholder> values;
  if (TemplateHolds(lines, "<!price_range!>")) {
    const PriceRange range =
        figures != nullptr ? figures->range : PriceFiguresOf(c.folders, brand, model).range;
    values.push_back({"price_range", common::HtmlEscaped(PriceRangeText(range))});
  }
  if (TemplateHolds(lines, "<!price_chart!>")) {
    values.push_back(
        {"price_chart", PriceChartSvg(PriceHistory::Load(c.folders.working).Of(brand, model))});
  }
  return values;
}

// ---- The short page -------------------------------------------------------------------------

std::string YesNoCell(std::string_view flags, std::size_t k) {
  switch (Flag(flags, k)) {
    case '0':
      return std::string("<td class=\"normal\">Нет</td>"_cp1251);
    case '1':
      return std::string("<td class=\"bold\">Есть</td>"_cp1251);
    default:
      return {};
  }
}

std::string FeatureList(std::string_view flags, std::string_view numbers) {
  std::string list;
  for (const std::string& number : common::SplitCarets(numbers)) {
    auto k = static_cast<std::size_t>(common::TextToInt(number));
    if (Flag(flags, k) == '1') list.append(FeatureName(k)).append(", ");
  }
  if (!list.empty()) list.resize(list.size() - 2);
  return list;
}

std::string DisplayKind(std::string_view flags) {
  switch (Flag(flags, 0)) {
    case '0':
      return std::string("Монохромный"_cp1251);
    case '1':
      return std::string("Цветной"_cp1251);
    default:
      return {};
  }
}

// The page's price block (block_brand as the price lists name it), and the model's price figures
// in found when the page shows them and they are not known: both from one pass over the price
// lists. Points figures at what the page is to show.
std::string PriceBlockAndFigures(PageContext& c, const StringList& lines,
                                 std::string_view block_brand, const std::string& brand,
                                 const std::string& model, const ModelPriceFigures*& figures,
                                 ModelPriceFigures& found) {
  if (figures != nullptr || !TemplateHolds(lines, "<!price_range!>")) {
    return BuildPriceBlock(c.folders, block_brand, model, c.random);
  }
  BrandPrices prices(LibraryBrand(brand), {ReplaceAll(model, kFullDescriptionMark, "")},
                     PriceFigures::kAveragesAndRanges);
  std::string block = BuildPriceBlock(c.folders, block_brand, model, c.random, &prices);
  found = {prices.AveragePriceOf(0), prices.RangeOf(0)};
  figures = &found;
  return block;
}

PageFile ShowShortPage(PageContext& c, const std::string& brand, const std::string& model,
                       const ModelPriceFigures* figures) {
  std::string b = ShortPageBrand(brand);
  StringList f = common::SplitCarets(c.data.GetProps2(b, model));
  const std::string& flags = At(f, field::kProperties);
  StringList lines = ReadTemplate(c.folders.working, "model_template.html");
  std::string picture = PicturePath(c.folders.working, b, At(f, field::kPicture));
  std::string title = b + " " + At(f, field::kModel);

  std::vector<Placeholder> values = {
      {"title", title},
      {"image", "<img src=\"" + common::FileUrl(picture) + "\" alt=\"" + At(f, field::kModel) +
                    "\" class=\"normal\">"},
      {"model", title},
      {"year", At(f, field::kVipusk)},
      {"standart", At(f, field::kStandart)},
      {"dimentions", At(f, field::kSizes)},
      {"weight", At(f, field::kWeight)},
      {"form-factor", At(f, field::kFormFact)},
      {"antenna", At(f, field::kAntenna)},
      {"sar", At(f, field::kSar)},
      {"t_wait", At(f, field::kWaitTime)},
      {"t_work", At(f, field::kWorkTime)},
      {"accumulator", At(f, field::kAccType)},
      {"irda", YesNoCell(flags, 4)},
      {"technologies", FeatureList(flags, "18^19^2^1^3^5^6^")},
      {"poly", YesNoCell(flags, 17)},
      {"progr_mel", At(f, field::kProgrMel)},
      {"vibro", YesNoCell(flags, 16)},
      {"display", DisplayKind(flags)},
      {"rows", At(f, field::kDispRows)},
      {"manager", FeatureList(flags, "7^8^9^10^11^")},
      {"voice", FeatureList(flags, "14^15^12^13^26")},
      {"games", YesNoCell(flags, 20)},
      {"mp3", YesNoCell(flags, 23)},
      {"FM", YesNoCell(flags, 24)},
      {"camera", YesNoCell(flags, 22)},
      {"java", YesNoCell(flags, 21)},
      {"bluetooth", YesNoCell(flags, 25)},
      {"adv_title", AdvTitleHtml(c.advertising, c.folders.program)},
      {"adv_body", AdvBodyHtml(c.advertising)},
      {"adv_pagebanner", PageBannerHtml(c.advertising, c.folders.program)},
      {"price", At(f, field::kPrice).empty() ? std::string() : At(f, field::kPrice) + " $"},
  };
  AdvanceTextPosition(c.advertising);
  AdvanceBannerPosition(c.advertising);
  ModelPriceFigures found;
  values.push_back({"price_list", PriceBlockAndFigures(c, lines, b, brand, model, figures, found)});
  for (Placeholder& extra : PriceExtras(c, lines, brand, model, figures)) {
    values.push_back(std::move(extra));
  }
  FillTemplate(lines, values);
  return ShowPage(c.folders, lines, c.browser);
}

// ---- The full page --------------------------------------------------------------------------

// Titles and labels are Windows-1251, as the vocabulary names its properties.
struct Section {
  std::string_view title;
  // The properties shown, by their vocabulary names; the places after the last are empty.
  std::array<std::string_view, 8> labels;
};

constexpr std::array<Section, 11> kSections = {{
    {"Общая информация"_cp1251,
     {"Смартфон"_cp1251, "Диапазоны частот"_cp1251, "Размеры"_cp1251, "Вес, гр"_cp1251,
      "Тип корпуса"_cp1251, "Антенна"_cp1251, "Конструкция"_cp1251, "Управление"_cp1251}},
    {"Питание"_cp1251,
     {"Тип аккумулятора"_cp1251, "Емкость аккумулятора"_cp1251,
      "Емкость дополнительного аккумулятора"_cp1251, "Время заряда"_cp1251, "Время ожидания"_cp1251,
      "Время разговора"_cp1251}},
    {"Звонок"_cp1251,
     {"Тип мелодий"_cp1251, "Число мелодий"_cp1251, "Редактор мелодий"_cp1251, "Виброзвонок"_cp1251,
      "Громкая связь(встроенный динамик)"_cp1251, "Автодозвон"_cp1251,
      "Прямой (flash) набор"_cp1251}},
    {"Дисплей"_cp1251,
     {"Тип экрана"_cp1251, "Размер изображения"_cp1251, "Дополнительный экран"_cp1251,
      "Индикация"_cp1251}},
    {"Мультимедиа"_cp1251,
     {"Встроенная фотокамера"_cp1251, "Запись видеороликов"_cp1251,
      "Камера для видеоконференций"_cp1251, "Игры"_cp1251, "Java-приложения"_cp1251}},
    {"Звук"_cp1251,
     {"Аудио"_cp1251, "Звуковая индикация времени разговора"_cp1251,
      "Режимы кодирования звука HR, FR, EFR"_cp1251}},
    {"Доп. функции сообщений"_cp1251,
     {"EMS"_cp1251, "MMS"_cp1251, "Дополнительные функции SMS"_cp1251}},
    {"Технологии связи"_cp1251,
     {"Интерфейсы"_cp1251, "Модем"_cp1251, "Доступ в интернет"_cp1251,
      "Синхронизация с компьютером"_cp1251}},
    {"Функции менеджера"_cp1251,
     {"Записная книжка в аппарате"_cp1251, "Органайзер"_cp1251, "Поиск по книжке"_cp1251}},
    {"Память"_cp1251,
     {"Объем встроенной памяти"_cp1251, "Объем оперативной памяти (RAM)"_cp1251,
      "Объем постоянной памяти (ROM)"_cp1251, "Обмен между SIM-картой и внутренней памятью"_cp1251,
      "Тип карты памяти"_cp1251}},
    {"Дополнительная информация"_cp1251,
     {"Операционная система"_cp1251, "Платформа"_cp1251, "Процессор"_cp1251,
      "QWERTY-клавиатура"_cp1251, "Русификация"_cp1251, "Комплектация"_cp1251}},
}};

const std::string kSpacerRow =
    "<tr><td colspan=\"3\"><img src=\"./px.gif\" height=\"5\"></td></tr>";

std::string PropertyRow(const selection::PropertyVocabulary& vocabulary, std::string_view line,
                        std::string_view label) {
  std::optional<std::string> value = vocabulary.PropertyValueText(line, label);
  if (!value) return {};
  return "<tr><td width=\"50%\" class=\"normal\">" + std::string(label) +
         "</td><td><img src=\"./px.gif\" width=\"10\"></td><td width=\"50%\" class=\"normal\">" +
         *value + "</td>" + kSpacerRow;
}

StringList SectionRows(const selection::PropertyVocabulary& vocabulary, std::string_view line,
                       const Section& section) {
  StringList rows = {
      "<tr><td colspan=\"3\" class=\"title\">" + std::string(section.title) + "</td></tr>",
      kSpacerRow};
  for (std::string_view label : section.labels) {
    if (label.empty()) break;
    std::string row = PropertyRow(vocabulary, line, label);
    if (!row.empty()) rows.push_back(std::move(row));
  }
  rows.push_back(kSpacerRow);
  return rows;
}

// The last line whose brand and model fields hold the needle "brand|model|". Only those fields
// are looked in: a needle that ran on into the entries would find a model by its properties.
std::string LastIndexLine(const selection::ModelLines& model_index, const std::string& needle) {
  const common::LineTable& lines = model_index.lines();
  for (std::size_t i = lines.size(); i-- > 0;) {
    if (common::Contains(selection::IndexHead(lines[i]), needle)) {
      return common::ValueOrWarn(model_index.WholeLine(i), std::string(lines[i]));
    }
  }
  return {};
}

void AppendTable(StringList& page, const std::vector<StringList>& sections, std::size_t from,
                 std::size_t to) {
  page.push_back("<table width=\"100%\" border=\"0\" cellspacing=\"0\" cellpadding=\"0\">");
  for (std::size_t i = from; i < to; ++i) {
    page.insert(page.end(), sections[i].begin(), sections[i].end());
  }
  page.push_back("</table>");
}

std::string FullPagePicture(const Folders& folders, const std::string& line,
                            const std::string& model) {
  std::string_view picture = common::After(line, "|\\");
  std::string name = "noimage.jpg";
  if (common::Contains(line, "|\\") &&
      common::FileExistsIn(folders.working, "pics/" + std::string(picture))) {
    name = std::string(picture);
  }
  std::string path = common::ResolvePath(folders.working, "pics/" + name);
  return "<img src=\"" + common::FileUrl(path) + "\" alt=\"" + model + "\" class=\"normal\">";
}

std::string ForumLink(const std::string& brand) {
  return "<a target=\"_blank\" href=\"" + std::string(kForumAddress) +
         "\" class=\"pricelstShop\">" + std::string("Форум по "_cp1251) + brand + "</a>";
}

void ReplaceIn(std::string& line, std::string_view placeholder, const std::string& value) {
  line = ReplaceAll(line, placeholder, value);
}

PageFile ShowFullPage(PageContext& c, const std::string& brand, const std::string& model,
                      const ModelPriceFigures* figures) {
  std::string m = ReplaceAll(model, kFullDescriptionMark, "");
  const std::string line = LastIndexLine(c.model_index, brand + "|" + m + "|");

  std::vector<StringList> sections;
  for (const Section& section : kSections) {
    StringList rows = SectionRows(c.vocabulary, line, section);
    if (rows.size() > 3) sections.push_back(std::move(rows));
  }
  std::size_t n = sections.size();
  if (n == 0) sections.push_back(SectionRows(c.vocabulary, line, kSections[0]));
  std::size_t first = n == 0 ? 1 : FirstColumnSections(n);

  StringList page;
  for (const std::string& template_line :
       ReadTemplate(c.folders.working, "model_template_new.html")) {
    if (common::Contains(template_line, "<!table1!>")) {
      AppendTable(page, sections, 0, first);
    } else if (common::Contains(template_line, "<!table2!>")) {
      AppendTable(page, sections, first, std::max(first, n));
    } else {
      page.push_back(template_line);
    }
  }

  std::string picture = FullPagePicture(c.folders, line, m);
  // The block is drawn once, and with it the figures, whatever the lines that show it.
  ModelPriceFigures found;
  const std::string block = TemplateHolds(page, "<!price_list!>")
                                ? PriceBlockAndFigures(c, page, brand, brand, m, figures, found)
                                : std::string();
  FillTemplate(page, PriceExtras(c, page, brand, m, figures));
  for (std::string& text : page) {
    ReplaceIn(text, "<!forum!>", ForumLink(brand));
    ReplaceIn(text, "<!model!>", brand + " " + m);
    ReplaceIn(text, "<!image!>", picture);
    ReplaceIn(text, "<!adv_title!>", AdvTitleHtml(c.advertising, c.folders.program));
    if (common::Contains(text, "<!adv_body!>")) {
      ReplaceIn(text, "<!adv_body!>", AdvBodyHtml(c.advertising));
      AdvanceTextPosition(c.advertising);
    }
    if (common::Contains(text, "<!adv_pagebanner!>")) {
      ReplaceIn(text, "<!adv_pagebanner!>", PageBannerHtml(c.advertising, c.folders.program));
      AdvanceBannerPosition(c.advertising);
    }
    if (common::Contains(text, "<!price_list!>")) {
      ReplaceIn(text, "<!price_list!>", block);
    }
  }
  return ShowPage(c.folders, page, c.browser);
}

}  // namespace

std::size_t FirstColumnSections(std::size_t n) {
  if (n == 0) return 0;
  // The first column holds positions 0 to h, h being (n - 1) / 2 rounded half to even.
  std::size_t last = n - 1;
  std::size_t h = last / 2;
  if (last % 2 == 1 && h % 2 == 1) ++h;
  return h + 1;
}

PageFile ShowModelPage(PageContext& context, const std::string& brand, const std::string& model,
                       const ModelPriceFigures* figures) {
  if (common::Contains(model, kFullDescriptionMark)) {
    return ShowFullPage(context, brand, model, figures);
  }
  return ShowShortPage(context, brand, model, figures);
}

}  // namespace trubkom::catalogue
