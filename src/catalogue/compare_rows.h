#pragma once

#include <string>
#include <vector>

#include "catalogue/catalogue_data.h"
#include "catalogue/compare_measure.h"
#include "common/string_ops.h"

// The rows of the comparison page: one per property, one cell per compared model.
namespace trubkom::catalogue {

struct CompareCell {
  std::string text;       // Windows-1251, as the brand file writes it (not escaped)
  std::string css_class;  // "CompareInfo", "CompareInfoDark" or, for the model's name, "...Big"
  bool present = true;    // false: the column has no such row (a display of unknown kind)
};

struct CompareRow {
  std::string label;  // the row's title, Windows-1251
  Measure measure = Measure::kNone;
  std::vector<CompareCell> cells;  // by model, in basket order
};

// The rows for the basket's entries ("brand model"), the models' names first. An entry without
// a blank names a brand and no model.
std::vector<CompareRow> ComparisonRows(CatalogueData& data, const common::StringList& entries);

// Whether every model shows the same in the row.
bool AllAgree(const CompareRow& row);

// For each cell whether it holds the row's best value (compare_measure.h).
std::vector<bool> BestCells(const CompareRow& row);

}  // namespace trubkom::catalogue
