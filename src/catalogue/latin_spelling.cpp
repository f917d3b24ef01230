#include "catalogue/latin_spelling.h"

#include <array>
#include <map>

#include "common/encoding.h"

namespace trubkom::catalogue {

namespace {

// Windows-1251's lower-case Cyrillic letters а..я are 0xE0..0xFF; ё is 0xB8.
constexpr unsigned char kLowerA = 0xE0;
constexpr unsigned char kLowerYo = 0xB8;

bool IsCyrillic(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= kLowerA || byte == kLowerYo;
}

// The Latin letter on the same key of the usual layouts, for а..я in order.
constexpr std::string_view kSameKey = "f,dult;pbqrkvyjghcnea[wxio]sm'.z";

// The Latin letter a Cyrillic one looks like, for а..я in order; '\0' for none.
constexpr std::array<char, 32> kTwins = {'a', 0,   'b', 0,   0, 'e', 0,   0,   0,   0, 'k',
                                         0,   'm', 'h', 'o', 0, 'p', 'c', 't', 'y', 0, 'x',
                                         0,   0,   0,   0,   0, 0,   0,   0,   0,   0};

// Brands as Russian speakers write them (UTF-8), and their Latin names.
const std::map<std::string, std::string>& SaidBrands() {
  static const std::map<std::string, std::string> brands = [] {
    const std::pair<const char*, const char*> said[] = {
        {"нокиа", "nokia"},       {"нокия", "nokia"},          {"самсунг", "samsung"},
        {"сони", "sony"},         {"эриксон", "ericsson"},     {"эрикссон", "ericsson"},
        {"моторола", "motorola"}, {"сименс", "siemens"},       {"алкатель", "alcatel"},
        {"филипс", "philips"},    {"панасоник", "panasonic"},  {"элджи", "lg"},
        {"флай", "fly"},          {"сагем", "sagem"},          {"шарп", "sharp"},
        {"бенкью", "benq"},       {"митсубиси", "mitsubishi"}, {"тошиба", "toshiba"},
    };
    std::map<std::string, std::string> in_cp1251;
    for (const auto& [word, latin] : said) in_cp1251[common::Cp1251FromUtf8(word)] = latin;
    return in_cp1251;
  }();
  return brands;
}

bool AllHaveTwins(std::string_view word) {
  for (char c : word) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsCyrillic(c) && (byte == kLowerYo || kTwins[byte - kLowerA] == 0)) return false;
  }
  return true;
}

// The word in Latin letters: a brand as said; else by look-alikes (when every Cyrillic letter has
// one) or by the same keys.
std::string LatinWord(std::string_view word, bool look_alike) {
  if (auto said = SaidBrands().find(std::string(word)); said != SaidBrands().end()) {
    return said->second;
  }
  look_alike = look_alike && AllHaveTwins(word);
  std::string latin;
  for (char c : word) {
    const auto byte = static_cast<unsigned char>(c);
    if (!IsCyrillic(c)) {
      latin += c;
    } else if (byte == kLowerYo) {
      latin += '`';
    } else {
      latin += look_alike ? kTwins[byte - kLowerA] : kSameKey[byte - kLowerA];
    }
  }
  return latin;
}

std::string Spelled(std::string_view text, bool look_alike) {
  std::string latin;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t blank = text.find(' ', start);
    if (blank == std::string_view::npos) blank = text.size();
    latin += LatinWord(text.substr(start, blank - start), look_alike);
    if (blank < text.size()) latin += ' ';
    start = blank + 1;
  }
  return latin;
}

}  // namespace

std::vector<std::string> LatinSpellings(std::string_view text) {
  std::vector<std::string> spellings;
  for (bool look_alike : {true, false}) {
    std::string latin = Spelled(text, look_alike);
    if (latin != text && (spellings.empty() || spellings.back() != latin)) {
      spellings.push_back(std::move(latin));
    }
  }
  return spellings;
}

}  // namespace trubkom::catalogue
