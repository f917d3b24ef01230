#include "app/about_text.h"

#include "common/encoding.h"
#include "common/version.h"

namespace trubkom::app {

std::string AboutText(const std::string& catalogue_folder, bool demo_keys) {
  std::string text = "Трубком " + std::string(kVersion) +
                     "\nКаталог мобильных телефонов.\n\nЛицензия: " + kLicense +
                     ".\nПапка каталога: " + catalogue_folder + "\n\n";
  text += demo_keys ? "Эта сборка доверяет демонстрационным ключам: она установит пакет "
                      "обновления, подписанный кем угодно. Только для демонстрации."
                    : "Пакеты обновления принимаются только с подписью издателя.";
  text +=
      "\n\nКлавиши:\n"
      "Alt+Влево, Alt+Вправо — предыдущая и следующая модель\n"
      "Ctrl+B — добавить модель в корзину\n"
      "Ctrl+Enter — сравнить модели корзины\n"
      "F5 — обновить каталог\n"
      "F1 — о программе";
  return common::Cp1251FromUtf8(text);
}

}  // namespace trubkom::app
