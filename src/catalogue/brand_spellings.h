#pragma once

#include <string>
#include <string_view>

// How brands are spelled in the three places that name them. The brand files (and so the
// catalogue-data library) write "Sonyericsson" and "Mts"; the brand box shows these two as
// "Sony-Ericsson" and "MTC", and a few others in their makers' own letter case ("LG" for "Lg").
// The model index and the basket write brands as the box shows them.
namespace trubkom::catalogue {

inline constexpr std::string_view kSonyEricssonInFiles = "Sonyericsson";
inline constexpr std::string_view kSonyEricssonInBox = "Sony-Ericsson";
inline constexpr std::string_view kMtsInFiles = "Mts";
inline constexpr std::string_view kMtsInBox = "MTC";

// The spelling the box shows for a brand of the brand list: each replacement of a table in turn,
// every occurrence, case-sensitive ("Sonyericsson" is "Sony-Ericsson", "Lg" is "LG").
std::string BrandDisplayName(std::string_view brand);

// The brand as the brand files spell it: every "Sony-Ericsson" becomes "Sonyericsson", then every
// "MTC" becomes "Mts", case-sensitive. The models list asks the library and the price lists so.
std::string LibraryBrand(std::string_view brand);

// The brand of the short model page. Only "Sony-Ericsson" becomes "Sonyericsson": an "MTC"
// model's short page has always kept the box's "MTC" in its title, its picture folder and the
// search of the price lists, and the library finds its record under either spelling.
std::string ShortPageBrand(std::string_view brand);

// The key under which the library looks a brand file up: the brand in lower case, in the brand
// files' spelling when the whole brand is one of the box's two spellings.
std::string LibraryBrandKey(std::string_view brand);

}  // namespace trubkom::catalogue
