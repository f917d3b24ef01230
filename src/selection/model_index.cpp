#include "selection/model_index.h"

#include <vector>

#include "common/line_file.h"
#include "common/line_pieces.h"
#include "common/paths.h"

namespace trubkom::selection {

std::optional<common::LineTable> LoadModelIndex(const std::string& working_folder) {
  std::string path = common::ResolvePath(working_folder, "Base/base.tkm");
  if (!common::IsFile(path)) return std::nullopt;
  common::ByteBuffer bytes;
  if (!common::ReadFileBytesInto(path, bytes)) return std::nullopt;
  return common::LineTable::SplitAtCr(std::move(bytes));
}

std::optional<common::LinePieces> OpenModelIndexPieces(const std::string& working_folder) {
  std::string path = common::ResolvePath(working_folder, "Base/base.tkm");
  if (!common::IsFile(path)) return std::nullopt;
  return common::LinePieces::Open(path);
}

namespace {

// An index has tens of thousands of brands at most, but its lines cycle through them in any
// order: the brands of so many lines ahead are asked for at once (see TextSet::Prefetch).
constexpr std::size_t kLookAhead = 16;

void PrefetchBrands(const common::TextSet& brands, const common::LineTable& lines,
                    std::size_t first) {
  std::string_view ahead[kLookAhead];
  std::size_t count = 0;
  for (std::size_t i = first; i < lines.size() && count < kLookAhead; ++i) {
    ahead[count++] = IndexBrand(lines[i]);
  }
  brands.Prefetch(ahead, count);
}

}  // namespace

IndexBrands BrandsOfIndex(const common::LineTable& lines) {
  IndexBrands index{!lines.empty(), {}};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i % kLookAhead == 0) PrefetchBrands(index.brands, lines, i);
    std::string_view brand = IndexBrand(lines[i]);
    if (!brand.empty() && brand.size() < lines[i].size()) index.brands.Add(brand);
  }
  return index;
}

IndexBrands ReadIndexBrands(const std::string& working_folder) {
  std::optional<common::LinePieces> pieces = OpenModelIndexPieces(working_folder);
  if (!pieces) return {};
  std::vector<IndexBrands> of_piece(pieces->size());
  pieces->ForEach(
      [&](std::size_t piece, common::LineTable lines) { of_piece[piece] = BrandsOfIndex(lines); });
  IndexBrands index;
  for (const IndexBrands& piece : of_piece) {
    index.any_line |= piece.any_line;
    for (std::size_t i = 0; i < piece.brands.size(); ++i) index.brands.Add(piece.brands.TextOf(i));
  }
  return index;
}

std::string_view IndexBrand(std::string_view line) { return line.substr(0, line.find('|')); }

std::string_view IndexModel(std::string_view line) {
  std::size_t first = line.find('|');
  if (first == std::string_view::npos) return {};
  std::string_view rest = line.substr(first + 1);
  std::size_t second = rest.find('|');
  return second == std::string_view::npos ? std::string_view() : rest.substr(0, second);
}

std::string_view IndexHead(std::string_view line) {
  const std::size_t first = line.find('|');
  const std::size_t second = first == std::string_view::npos ? first : line.find('|', first + 1);
  return second == std::string_view::npos ? line : line.substr(0, second + 1);
}

}  // namespace trubkom::selection
