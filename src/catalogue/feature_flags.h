#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/encoding.h"

// The 27 features of a property record's "Properties" field: one "0"/"1" flag a feature.
namespace trubkom::catalogue {

// Feature names, Windows-1251.
inline constexpr std::array<std::string_view, 27> kFeatureNames = [] {
  using namespace common::literals;
  return std::array<std::string_view, 27>{"Цветной дисплей"_cp1251,
                                          "GPRS"_cp1251,
                                          "WAP"_cp1251,
                                          "модем"_cp1251,
                                          "Инфракрасный порт"_cp1251,
                                          "E-Mail"_cp1251,
                                          "GPS"_cp1251,
                                          "Органайзер"_cp1251,
                                          "Календарь"_cp1251,
                                          "Будильник"_cp1251,
                                          "Калькулятор"_cp1251,
                                          "Конвертор валют"_cp1251,
                                          "Голосовой набор"_cp1251,
                                          "Голосовое управление"_cp1251,
                                          "Диктофон"_cp1251,
                                          "Громкая связь"_cp1251,
                                          "Виброзвонок"_cp1251,
                                          "Полифонические мелодии"_cp1251,
                                          "EMS"_cp1251,
                                          "MMS"_cp1251,
                                          "Игры"_cp1251,
                                          "Java"_cp1251,
                                          "Цифровая видеокамера"_cp1251,
                                          "MP3-проигрыватель"_cp1251,
                                          "FM-приёмник"_cp1251,
                                          "Bluetooth"_cp1251,
                                          "Автоответчик"_cp1251};
}();

// The name of feature k; empty text past the last.
inline std::string_view FeatureName(std::size_t k) {
  return k < kFeatureNames.size() ? kFeatureNames[k] : std::string_view();
}

// Flag k of the flags text; '\0' past its end, which is neither "0" nor "1".
inline char Flag(std::string_view flags, std::size_t k) {
  return k < flags.size() ? flags[k] : '\0';
}

}  // namespace trubkom::catalogue
