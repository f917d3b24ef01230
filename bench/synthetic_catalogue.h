#pragma once

#include <string>

// Large synthetic catalogues for the benchmarks: brand files, price lists and model index lines
// shaped like real ones.
namespace trubkom::bench {

struct SyntheticSize {
  int models_per_brand = 1000;
  int price_lists = 200;
  int lines_per_price_list = 5000;
  int index_lines = 0;
};

// Writes the catalogue of brand "Nokia" (and a few other brands in the price lists) to folder.
void WriteSyntheticCatalogue(const std::string& folder, const SyntheticSize& size);

// Synthetic model index lines coded against the property vocabulary.
std::string SyntheticIndexLine(unsigned seed);

// Wizard criteria to time against such an index. The first answer of every page:
inline constexpr const char* kFirstAnswers =
    "48(0)^51(0)^53(2-36)^52(0-17;20)^26(5-14)^18(18-22;27-42;47-56)^"
    "26(0;2;4;6;8;10;11;13;14;16;17)^12(0-123)^2(0)^6(1-4)^6(0-2)^"
    "[33(22;42)%37(200;277-284;312;333;426;428;429;464;488;489;492;496;510;551)]^";
// The answers a cautious user gives: mostly "no" and wide ranges, so most lines go far.
inline constexpr const char* kWideAnswers =
    "!48(0)^12(0-125)^53(0-36)^52(0-21)^18(0-60)^!2(0)^6(0-5)^55(0-43)^7(0-115)^43(0-728)^";

}  // namespace trubkom::bench
