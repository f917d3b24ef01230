#include "tools/console.h"

#include <iostream>

#include "common/encoding.h"

namespace trubkom::tools {

using namespace common::literals;

void PrintLine(const std::string& cp1251) { std::cout << common::Utf8FromCp1251(cp1251) << '\n'; }

void PrintText(std::string_view cp1251) { std::cout << common::Utf8FromCp1251(cp1251); }

int Fail(const std::string& utf8) {
  std::cerr << "trubkom-catalogue: " << utf8 << '\n';
  return 1;
}

int Fail(const common::Error& error) { return Fail(common::Utf8FromCp1251(error.message)); }

void Note(const std::string& utf8) {
  std::cerr << "trubkom-catalogue: примечание: " << utf8 << '\n';
}

void StderrWarnings::Warn(const std::string& text) {
  std::cerr << "trubkom-catalogue: предупреждение: " << text << '\n';
}

bool ConsolePorts::Confirm(const std::string& text) {
  PrintLine(text + std::string(" [ОК/Отмена: Отмена]"_cp1251));
  return false;
}

}  // namespace trubkom::tools
