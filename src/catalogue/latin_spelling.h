#pragma once

#include <string>
#include <string_view>
#include <vector>

// Model and brand names are written in Latin letters. A Russian-speaking user types some of them
// in Cyrillic: a word typed with the keyboard still on the Russian layout ("л750" for "k750"), a
// model written with the Cyrillic letters that look like its Latin ones ("к750", "е65"), a brand
// spelled as it is said ("нокиа", "сони эриксон"). This gives the Latin spelling a search should
// try for such a text.
namespace trubkom::catalogue {

// The Latin spellings a search should try for text (Windows-1251, lowered), most likely first:
// each word that names a brand as it is said in Russian becomes the brand, and the other words
// with Cyrillic letters become, in the first spelling, their look-alike Latin letters ("к750",
// "е65") where every Cyrillic letter of the word has one, and in the second the Latin letters of
// the same keys ("л750": the Russian layout left on). Words without Cyrillic letters, and
// blanks, stay as they are. Spellings equal to the text or to one before are left out.
std::vector<std::string> LatinSpellings(std::string_view text);

}  // namespace trubkom::catalogue
