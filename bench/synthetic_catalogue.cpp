#include "synthetic_catalogue.h"

#include <filesystem>
#include <fstream>
#include <random>

namespace trubkom::bench {

namespace {

std::string ModelName(int i) { return "N" + std::to_string(1000 + i) + (i % 7 == 0 ? "i" : ""); }

}  // namespace

void WriteSyntheticCatalogue(const std::string& folder, const SyntheticSize& size) {
  namespace fs = std::filesystem;
  fs::create_directories(fs::path(folder) / "Base");
  fs::create_directories(fs::path(folder) / "adv/prices");
  fs::create_directories(fs::path(folder) / "Templates");
  {
    std::ofstream brand(fs::path(folder) / "Base/nokia_new.xml");
    brand << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<brand name=\"Nokia\">\n";
    for (int i = 0; i < size.models_per_brand; ++i) {
      brand << "<model><Model>" << ModelName(i) << "</Model><Standart>GSM 900/1800</Standart>"
            << "<Properties>101010101010101010101010101</Properties><Price>" << 50 + i % 400
            << "</Price><Picture>" << i << ".png</Picture></model>\n";
    }
    brand << "</brand>\n";
  }
  std::mt19937 random(7);
  const char* brands[] = {"Nokia", "NOKIA", "Siemens", "Motorola", "Samsung"};
  for (int f = 0; f < size.price_lists; ++f) {
    std::ofstream list(fs::path(folder) / ("adv/prices/shop" + std::to_string(f) + ".prc"),
                       std::ios::binary);
    list << "Shop " << f << "\r\nshop" << f << ".html\r\n";
    for (int l = 0; l < size.lines_per_price_list; ++l) {
      list << brands[random() % 5] << ' ' << ModelName(static_cast<int>(random() % 1500)) << '^'
           << 1000 + random() % 30000 << "\r\n";
    }
  }
  std::ofstream(fs::path(folder) / "Templates/model_template.html")
      << "<html><!title!> <!price!> <!price_list!></html>\r\n";
  std::ofstream(fs::path(folder) / "Templates/price_template.html") << "<!pricetable!>\r\n";
  std::ofstream index(fs::path(folder) / "Base/base.tkm", std::ios::binary);
  for (int i = 0; i < size.index_lines; ++i)
    index << SyntheticIndexLine(static_cast<unsigned>(i)) << "\r\n";
}

std::string SyntheticIndexLine(unsigned seed) {
  static const int kCounts[56] = {1,   1,   1, 1,  1,   2,  6,  116, 2,  15,  113, 86, 126, 1,
                                  13,  30,  5, 54, 61,  64, 24, 28,  1,  1,   1,   3,  18,  21,
                                  184, 8,   1, 20, 127, 71, 3,  8,   11, 603, 115, 1,  7,   9,
                                  163, 729, 4, 4,  5,   11, 14, 7,   25, 6,   22,  37, 7,   44};
  std::mt19937 random(seed);
  std::string line = "Brand" + std::to_string(seed % 40) + "|Model " + std::to_string(seed) + "|";
  for (int p = 0; p < 56; ++p) {
    if (random() % 3 == 0) continue;
    line += std::to_string(p) + "(" + std::to_string(random() % kCounts[p]) + ")|";
    if (p == 37) line += "37(" + std::to_string(random() % 603) + ")|";
  }
  return line + "\\pics\\" + std::to_string(seed) + ".png";
}

}  // namespace trubkom::bench
