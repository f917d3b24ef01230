#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/line_pieces.h"
#include "common/line_table.h"
#include "common/result.h"
#include "common/text_set.h"

// The model index Base/base.tkm: one line per fully described model, "brand|model|P(V)|...".
namespace trubkom::selection {

// The lines of the index file, none changed or dropped (a line ends at CR or CR LF only); kMissing
// when there is no index file, or why it could not be read.
common::Result<common::LineTable> LoadModelIndex(const std::string& working_folder);

// The lines that begin with one of the brands (ASCII letter case ignored), in file order, read a
// piece at a time: what a command about a few brands needs of the index, without holding the
// rest. A brand's lines as DescribedModels and the model pages find them are all among them.
// Given every_brand, the same pass sets it as ReadIndexBrands would (declared below).
struct IndexBrands;
common::Result<common::LineTable> LoadModelIndexOfBrands(const std::string& working_folder,
                                                         const std::vector<std::string>& brands,
                                                         IndexBrands* every_brand = nullptr);

// The head of every line (IndexHead), in file order, read a piece at a time: what the lists of
// every brand need of the index, a tenth of its text.
common::Result<common::LineTable> LoadModelIndexHeads(const std::string& working_folder);

// The same lines a piece at a time (common::LinePieces), for a command that goes through them
// once without holding them.
common::Result<common::LinePieces> OpenModelIndexPieces(const std::string& working_folder);

// The mark after a model's name in the lists ("6230 *"): the index has a line for the model, so
// its page is the full description.
inline constexpr std::string_view kFullDescriptionMark = " *";

// What the brand box takes from the index: whether it has a line at all, and the brands of its
// lines (IndexBrand of a line that has a '|', when not empty), numbered in the order they first
// appear.
struct IndexBrands {
  bool any_line = false;
  common::TextSet brands;
};
IndexBrands BrandsOfIndex(const common::LineTable& lines);
// The same read from the index file a piece at a time, side by side: what BrandsOfIndex gives
// for the lines LoadModelIndex gives, without holding them; none for a missing index, or why it
// could not be read whole.
common::Result<IndexBrands> ReadIndexBrands(const std::string& working_folder);

// The brand field (before the first '|') and the model field (between the first and second).
std::string_view IndexBrand(std::string_view line);
std::string_view IndexModel(std::string_view line);
// The line up to and with the '|' after the model field, the whole line when it has none: what
// IndexBrand and IndexModel read, and what a needle "brand|model|" is found in.
std::string_view IndexHead(std::string_view line);

}  // namespace trubkom::selection
