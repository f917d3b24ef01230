#pragma once

#include <string_view>

// The selection criteria by their textual meaning: each criterion searches the line's text
// exactly as it says (see criteria.h for the language). The program never calls these: they are
// the definition that the tests, the fuzz targets and the benchmarks hold CompiledCriteria to.
namespace trubkom::selection {

// Whether the line satisfies the criterion, by substring search over the whole line.
bool MatchCriterion(std::string_view criterion, std::string_view line);

// Whether the line satisfies every non-empty criterion of the list; a list without any keeps
// every line.
bool MatchCriteriaList(std::string_view criteria_list, std::string_view line);

}  // namespace trubkom::selection
