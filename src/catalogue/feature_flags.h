#pragma once

#include <array>
#include <string>
#include <string_view>

// The 27 features of a property record's "Properties" field: one "0"/"1" flag a feature.
namespace trubkom::catalogue {

// Feature names in UTF-8; FeatureName gives the Windows-1251 text.
inline constexpr std::array<std::string_view, 27> kFeatureNames = {"Цветной дисплей",
                                                                   "GPRS",
                                                                   "WAP",
                                                                   "модем",
                                                                   "Инфракрасный порт",
                                                                   "E-Mail",
                                                                   "GPS",
                                                                   "Органайзер",
                                                                   "Календарь",
                                                                   "Будильник",
                                                                   "Калькулятор",
                                                                   "Конвертор валют",
                                                                   "Голосовой набор",
                                                                   "Голосовое управление",
                                                                   "Диктофон",
                                                                   "Громкая связь",
                                                                   "Виброзвонок",
                                                                   "Полифонические мелодии",
                                                                   "EMS",
                                                                   "MMS",
                                                                   "Игры",
                                                                   "Java",
                                                                   "Цифровая видеокамера",
                                                                   "MP3-проигрыватель",
                                                                   "FM-приёмник",
                                                                   "Bluetooth",
                                                                   "Автоответчик"};

const std::string& FeatureName(std::size_t k);

// Flag k of the flags text; '\0' past its end, which is neither "0" nor "1".
inline char Flag(std::string_view flags, std::size_t k) {
  return k < flags.size() ? flags[k] : '\0';
}

}  // namespace trubkom::catalogue
