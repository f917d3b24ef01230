#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "common/line_file.h"
#include "common/line_table.h"

// A large file of lines ended at CR (the model index) gone through a piece at a time. Read whole,
// a file of hundreds of megabytes costs the system as much again in fresh memory, each page of
// it cleared before it is filled, which takes longer than copying the file; read in pieces of a
// megabyte, the memory of one piece serves the next.
namespace trubkom::common {

class LinePieces {
 public:
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

  // Nothing when the file is missing, or cannot be read (warned of as ReadFileBytes warns).
  static std::optional<LinePieces> Open(const std::string& path,
                                        std::size_t piece_bytes = kPieceBytes);

  // Piece i holds the lines that start in bytes [i * piece_bytes, (i + 1) * piece_bytes) of the
  // file, a line starting after the first CR at or after i * piece_bytes (and after the LF that
  // follows it); so every line is in exactly one piece, as LineTable::SplitAtCr splits the file
  // whole, and a piece inside a long line holds none.
  std::size_t size() const { return pieces_; }
  const std::string& path() const { return path_; }

  // Calls visit(piece, lines) for every piece, on as many threads as the file is worth
  // (common::PartsFor), each piece once and in no particular order. A piece that fails to read
  // is warned of and visited with no lines.
  void ForEach(const std::function<void(std::size_t piece, LineTable lines)>& visit) const;

  // The lines of one piece, read again (no lines when it fails to read, warned of).
  LineTable ReadPiece(std::size_t piece) const;

 private:
  LinePieces(std::string path, OpenedFile file, std::size_t piece_bytes);
  // Where the first line at or after offset starts (the file's size when none does).
  std::size_t LineStartFrom(std::size_t offset, ByteBuffer& probe) const;
  LineTable Read(std::size_t piece, ByteBuffer& probe) const;
  bool ReadAt(std::size_t offset, char* into, std::size_t count) const;

  std::string path_;
  OpenedFile file_;
  std::size_t piece_bytes_;
  std::size_t pieces_;
};

}  // namespace trubkom::common
