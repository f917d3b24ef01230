#include "selection/model_index.h"

#include <vector>

#include "common/ascii.h"
#include "common/line_file.h"
#include "common/line_pieces.h"
#include "common/paths.h"

namespace trubkom::selection {

namespace {

// The index's path; kMissing when there is no regular file there to read (a link that leads
// nowhere or in a loop counts as none).
common::Result<std::string> IndexPath(const std::string& working_folder) {
  std::string path = common::ResolvePath(working_folder, "Base/base.tkm");
  if (!common::IsFile(path)) {
    return common::ErrorAbout(common::ErrorCode::kMissing, "Нет файла", path, "нет индекса");
  }
  return path;
}

}  // namespace

common::Result<common::LineTable> LoadModelIndex(const std::string& working_folder) {
  common::Result<std::string> path = IndexPath(working_folder);
  if (!path) return path.error();
  common::ByteBuffer bytes;
  if (common::Status read = common::ReadFileInto(*path, bytes); !read) return read.error();
  return common::LineTable::SplitAtCr(std::move(bytes));
}

namespace {

// The brands of the pieces' lines, in the order they first appear.
IndexBrands JoinedBrands(const std::vector<IndexBrands>& of_piece) {
  IndexBrands index;
  for (const IndexBrands& piece : of_piece) {
    index.any_line |= piece.any_line;
    for (std::size_t i = 0; i < piece.brands.size(); ++i) index.brands.Add(piece.brands.TextOf(i));
  }
  return index;
}

}  // namespace

common::Result<common::LineTable> LoadModelIndexOfBrands(const std::string& working_folder,
                                                         const std::vector<std::string>& brands,
                                                         IndexBrands* every_brand) {
  common::Result<common::LinePieces> pieces = OpenModelIndexPieces(working_folder);
  if (!pieces) return pieces.error();
  std::vector<common::LineTable> of_piece(pieces->size());
  std::vector<IndexBrands> brands_of_piece(every_brand != nullptr ? pieces->size() : 0);
  pieces->ForEach([&](std::size_t piece, common::LineTable lines) {
    if (every_brand != nullptr) brands_of_piece[piece] = BrandsOfIndex(lines);
    common::LineTable kept;
    for (std::string_view line : lines) {
      for (const std::string& brand : brands) {
        if (!brand.empty() && line.size() >= brand.size() &&
            common::EqualsIgnoringAsciiCase(line.substr(0, brand.size()), brand)) {
          kept.Append(line);
          break;
        }
      }
    }
    of_piece[piece] = std::move(kept);
  });
  if (common::Status read = pieces->ReadFailure(); !read) return read.error();
  if (every_brand != nullptr) *every_brand = JoinedBrands(brands_of_piece);
  return common::LineTable::Join(std::move(of_piece));
}

common::Result<common::LineTable> LoadModelIndexHeads(const std::string& working_folder) {
  common::Result<common::LinePieces> pieces = OpenModelIndexPieces(working_folder);
  if (!pieces) return pieces.error();
  std::vector<common::LineTable> of_piece(pieces->size());
  pieces->ForEach([&](std::size_t piece, common::LineTable lines) {
    common::LineTable heads;
    for (std::string_view line : lines) heads.Append(IndexHead(line));
    of_piece[piece] = std::move(heads);
  });
  if (common::Status read = pieces->ReadFailure(); !read) return read.error();
  return common::LineTable::Join(std::move(of_piece));
}

common::Result<common::LinePieces> OpenModelIndexPieces(const std::string& working_folder) {
  common::Result<std::string> path = IndexPath(working_folder);
  if (!path) return path.error();
  return common::LinePieces::Open(*path);
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

common::Result<IndexBrands> ReadIndexBrands(const std::string& working_folder) {
  common::Result<common::LinePieces> pieces = OpenModelIndexPieces(working_folder);
  if (!pieces && pieces.error().code == common::ErrorCode::kMissing) return IndexBrands{};
  if (!pieces) return pieces.error();
  std::vector<IndexBrands> of_piece(pieces->size());
  pieces->ForEach(
      [&](std::size_t piece, common::LineTable lines) { of_piece[piece] = BrandsOfIndex(lines); });
  if (common::Status read = pieces->ReadFailure(); !read) return read.error();
  return JoinedBrands(of_piece);
}

namespace {

// The first '|' at or after from; npos when none. The fields before it are a few bytes long:
// looked at byte by byte, they cost less than a call to find them.
std::size_t BarFrom(std::string_view line, std::size_t from) {
  for (std::size_t at = from; at < line.size(); ++at) {
    if (line[at] == '|') return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::string_view IndexBrand(std::string_view line) { return line.substr(0, BarFrom(line, 0)); }

std::string_view IndexModel(std::string_view line) {
  const std::size_t first = BarFrom(line, 0);
  if (first == std::string_view::npos) return {};
  const std::size_t second = BarFrom(line, first + 1);
  return second == std::string_view::npos ? std::string_view()
                                          : line.substr(first + 1, second - first - 1);
}

std::string_view IndexHead(std::string_view line) {
  const std::size_t first = line.find('|');
  const std::size_t second = first == std::string_view::npos ? first : line.find('|', first + 1);
  return second == std::string_view::npos ? line : line.substr(0, second + 1);
}

}  // namespace trubkom::selection
