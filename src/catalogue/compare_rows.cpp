#include "catalogue/compare_rows.h"

#include <algorithm>

#include "catalogue/feature_flags.h"
#include "common/encoding.h"

namespace trubkom::catalogue {

using namespace common::literals;
using common::At;

namespace {

// What a row shows of a model's record: a field's text, or a feature flag as "Есть"/"Нет".
struct RowSource {
  std::string_view label;
  Measure measure = Measure::kNone;
  field::Index value = field::kCount;  // kCount: the flag below
  std::size_t flag = 0;
};

// The rows below the names, in the order the comparison has always shown them; the display's
// kind sits between the own melodies' vibration and the rows of the display.
constexpr RowSource kPrice = {"Цена"_cp1251, Measure::kPrice, field::kPrice};
constexpr RowSource kDisplay = {"Дисплей"_cp1251};
constexpr RowSource kRows[] = {
    {"Стандарт"_cp1251, Measure::kNone, field::kStandart},
    {"Размеры"_cp1251, Measure::kSizes, field::kSizes},
    {"Вес"_cp1251, Measure::kWeight, field::kWeight},
    {"Корпус"_cp1251, Measure::kNone, field::kFormFact},
    {"Антенна"_cp1251, Measure::kNone, field::kAntenna},
    {"Излучение (SAR)"_cp1251, Measure::kSar, field::kSar},
    {"Время ожидания"_cp1251, Measure::kStandbyTime, field::kWaitTime},
    {"Время разговора"_cp1251, Measure::kTalkTime, field::kWorkTime},
    {"Аккумулятор"_cp1251, Measure::kCapacity, field::kAccType},
    {"Инфракрасный порт"_cp1251, Measure::kNone, field::kCount, 4},
    {"Bluetooth", Measure::kNone, field::kCount, 25},
    {"EMS", Measure::kNone, field::kCount, 18},
    {"MMS", Measure::kNone, field::kCount, 19},
    {"WAP", Measure::kNone, field::kCount, 2},
    {"GPRS", Measure::kNone, field::kCount, 1},
    {"Модем"_cp1251, Measure::kNone, field::kCount, 3},
    {"E-Mail", Measure::kNone, field::kCount, 5},
    {"GPS", Measure::kNone, field::kCount, 6},
    {"Полифонические мелодии"_cp1251, Measure::kNone, field::kCount, 17},
    {"Свои мелодии"_cp1251, Measure::kNone, field::kProgrMel},
    {"Виброзвонок"_cp1251, Measure::kNone, field::kCount, 16},
    kDisplay,
    {"Строк на экране"_cp1251, Measure::kRows, field::kDispRows},
    {"Органайзер"_cp1251, Measure::kNone, field::kCount, 7},
    {"Календарь"_cp1251, Measure::kNone, field::kCount, 8},
    {"Будильник"_cp1251, Measure::kNone, field::kCount, 9},
    {"Калькулятор"_cp1251, Measure::kNone, field::kCount, 10},
    {"Конвертор валют"_cp1251, Measure::kNone, field::kCount, 11},
    {"Диктофон"_cp1251, Measure::kNone, field::kCount, 14},
    {"Громкая связь"_cp1251, Measure::kNone, field::kCount, 15},
    {"Голосовой набор"_cp1251, Measure::kNone, field::kCount, 12},
    {"Голосовое управление"_cp1251, Measure::kNone, field::kCount, 13},
    {"Игры"_cp1251, Measure::kNone, field::kCount, 20},
    {"MP3-проигрыватель"_cp1251, Measure::kNone, field::kCount, 23},
    {"FM-приёмник"_cp1251, Measure::kNone, field::kCount, 24},
    {"Цифровая видеокамера"_cp1251, Measure::kNone, field::kCount, 22},
    {"Java", Measure::kNone, field::kCount, 21},
};

CompareCell FlagCell(std::string_view flags, std::size_t k) {
  switch (Flag(flags, k)) {
    case '0':
      return {std::string("Нет"_cp1251), "CompareInfo"};
    case '1':
      return {std::string("Есть"_cp1251), "CompareInfoDark"};
    default:
      return {"?", "CompareInfoDark"};
  }
}

CompareCell DisplayCell(std::string_view flags) {
  switch (Flag(flags, 0)) {
    case '0':
      return {std::string("Монохромный"_cp1251), "CompareInfo"};
    case '1':
      return {std::string("Цветной"_cp1251), "CompareInfo"};
    default:
      return {{}, "CompareInfo", false};
  }
}

CompareCell Cell(const RowSource& source, const common::StringList& record) {
  const std::string& flags = At(record, field::kProperties);
  if (source.label == kDisplay.label) return DisplayCell(flags);
  if (source.value == field::kCount) return FlagCell(flags, source.flag);
  return {At(record, source.value), "CompareInfo"};
}

}  // namespace

std::vector<CompareRow> ComparisonRows(CatalogueData& data, const common::StringList& entries) {
  std::vector<CompareRow> rows = {{std::string("Модель"_cp1251), Measure::kNone, {}},
                                  {std::string(kPrice.label), kPrice.measure, {}}};
  for (const RowSource& source : kRows) {
    rows.push_back({std::string(source.label), source.measure, {}});
  }
  for (const std::string& entry : entries) {
    common::BrandAndModel name = common::SplitRow(entry).value_or(common::BrandAndModel{entry, {}});
    common::StringList record = common::SplitCarets(data.GetProps2(name.brand, name.model));
    rows[0].cells.push_back({entry, "CompareInfoBig"});
    rows[1].cells.push_back({At(record, field::kPrice), "CompareInfo"});
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
      rows[i + 2].cells.push_back(Cell(kRows[i], record));
    }
  }
  return rows;
}

bool AllAgree(const CompareRow& row) {
  return std::all_of(row.cells.begin(), row.cells.end(), [&](const CompareCell& cell) {
    return cell.present == row.cells[0].present && cell.text == row.cells[0].text;
  });
}

std::vector<bool> BestCells(const CompareRow& row) {
  common::StringList values;
  for (const CompareCell& cell : row.cells) values.push_back(cell.present ? cell.text : "");
  return BestValues(row.measure, values);
}

}  // namespace trubkom::catalogue
