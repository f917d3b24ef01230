#include "selection/property_vocabulary.h"

#include <gtest/gtest.h>

#include <set>

#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

using testing::W;

const PropertyVocabulary& V() { return PropertyVocabulary::Builtin(); }

TEST(PropertyVocabulary, HasTheFiftySixPropertiesWithTheirValueCounts) {
  const std::pair<const char*, std::size_t> expected[] = {
      {"EMS", 1},
      {"Java-приложения", 1},
      {"MMS", 1},
      {"QWERTY-клавиатура", 1},
      {"Автодозвон", 1},
      {"Антенна", 2},
      {"Аудио", 6},
      {"Вес, гр", 116},
      {"Виброзвонок", 2},
      {"Время заряда", 15},
      {"Время ожидания", 113},
      {"Время разговора", 86},
      {"Встроенная фотокамера", 126},
      {"Громкая связь(встроенный динамик)", 1},
      {"Диапазоны частот", 13},
      {"Диктофон", 30},
      {"Дополнительные функции SMS", 5},
      {"Дополнительный экран", 54},
      {"Доступ в интернет", 61},
      {"Емкость аккумулятора", 64},
      {"Емкость дополнительного аккумулятора", 24},
      {"Записная книжка в аппарате", 28},
      {"Запись видеороликов", 1},
      {"Звуковая индикация времени разговора", 1},
      {"Игры", 1},
      {"Индикация", 3},
      {"Интерфейсы", 18},
      {"Камера для видеоконференций", 21},
      {"Комплектация", 184},
      {"Конструкция", 8},
      {"Модем", 1},
      {"Обмен между SIM-картой и внутренней памятью", 20},
      {"Объем встроенной памяти", 127},
      {"Объем оперативной памяти (RAM)", 71},
      {"Объем постоянной памяти (ROM)", 3},
      {"Операционная система", 8},
      {"Органайзер", 11},
      {"Особенности", 603},
      {"Платформа", 115},
      {"Поиск по книжке", 1},
      {"Процессор", 7},
      {"Прямой (flash) набор", 9},
      {"Размер изображения", 163},
      {"Размеры", 729},
      {"Редактор мелодий", 4},
      {"Режимы кодирования звука HR, FR, EFR", 4},
      {"Русификация", 5},
      {"Синхронизация с компьютером", 11},
      {"Смартфон", 14},
      {"Тип аккумулятора", 7},
      {"Тип карты памяти", 25},
      {"Тип корпуса", 6},
      {"Тип мелодий", 22},
      {"Тип экрана", 37},
      {"Управление", 7},
      {"Число мелодий", 44}};
  const auto& properties = V().properties();
  ASSERT_EQ(properties.size(), 56u);
  for (std::size_t p = 0; p < 56; ++p) {
    EXPECT_EQ(properties[p].name, W(expected[p].first)) << p;
    EXPECT_EQ(properties[p].values.size(), expected[p].second) << p;
    std::set<std::string> distinct(properties[p].values.begin(), properties[p].values.end());
    EXPECT_EQ(distinct.size(), properties[p].values.size()) << "repeated value in " << p;
    EXPECT_EQ(distinct.count(""), 0u) << p;
    EXPECT_EQ(properties[p].values.front().find('?'), std::string::npos) << p;
  }
}

TEST(PropertyVocabulary, ListsTheWizardReliesOn) {
  struct Case {
    int property;
    std::size_t value;
    const char* text;
  };
  const Case cases[] = {
      {2, 0, "есть"},
      {6, 2, "FM-радиоприемник, MP3-проигрыватель, поддержка WMA"},
      {6, 5, "поддержка WMA"},
      {13, 0, "есть"},
      {48, 0, "да"},
      {51, 0, "классический"},
      {51, 4, "с откидной крышкой"},
      {54, 6, "голосовые метки"},
      {26, 11, "IRDA, COM-порт, USB, Wi-Fi, Bluetooth"},
      {26, 17, "USB, Wi-Fi, Bluetooth"},
      {52, 12, "4-голосная полифония"},
      {52, 21, "полифонические, MP3-мелодии"},
      {53, 9, "цветной STN экран, 65526 цветов"},
      {53, 36, "цветной экран, 65536 цветов, сенсорный"},
      {12, 124, "нет"},
      {12, 125, "нет (0.30 млн. пикс.)"},
      {15, 0, "10 сек"},
      {15, 29, "есть"},
      {18, 2, "GPRS"},
      {18, 16, "WAP"},
      {18, 18, "WAP 1.2.1, GPRS"},
      {18, 27, "WAP 2.0, GPRS"},
      {18, 47, "WAP, GPRS"},
      {18, 60, "нет"},
      {33, 21, "встроенный календарь"},
      {33, 22, "группы пользователей, конвертер валют"},
      {33, 42, "конвертер валют"},
      {36, 10, "планировщик задач"},
      {37, 183, "встроенный календарь"},
      {37, 277, "конвертер валют"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(V().properties()[c.property].values[c.value], W(c.text))
        << c.property << "(" << c.value << ")";
  }
}

TEST(PropertyVocabulary, PropertyNumberAndValueText) {
  EXPECT_EQ(V().PropertyNumber(W("Тип экрана")), 53);
  EXPECT_EQ(V().PropertyNumber("MMS"), 2);
  EXPECT_EQ(V().PropertyNumber("mms"), 0);
  EXPECT_EQ(V().PropertyNumber(""), 0);
  struct Case {
    std::string line;
    const char* name;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"X|Y|51(2)|", "Тип корпуса", W("раскладушка")},
      {"X|Y|26(5)|26(16)", "Интерфейсы", W("IRDA")},
      {"X|Y|53(35)", "Виброзвонок", std::nullopt},
      {"X|Y|8(2)|", "Виброзвонок", std::nullopt},  // past the end of the list
      {"X|Y|8(-1)|", "Виброзвонок", std::nullopt},
      {"X|Y|8(1x)|", "Виброзвонок", W("нет")},  // read as far as it is a number
      {"X|Y|8(|", "Виброзвонок", W("есть")},    // no digits read as value 0
      {"X|Y|18(60)|", "Доступ в интернет", W("нет")},
      {"X|Y|148(0)|48(0)", "Смартфон", W("да")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(V().PropertyValueText(c.line, W(c.name)), c.value) << c.line << " " << c.name;
  }
}

}  // namespace
}  // namespace trubkom::selection
