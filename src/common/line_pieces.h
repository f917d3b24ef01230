#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "common/line_file.h"
#include "common/line_table.h"
#include "common/result.h"

// A large file of lines ended at CR (the model index) gone through a piece at a time. Read whole,
// a file of hundreds of megabytes costs the system as much again in fresh memory, each page of
// it cleared before it is filled, which takes longer than copying the file; read in pieces of a
// megabyte, the memory of one piece serves the next.
namespace trubkom::common {

class LinePieces {
 public:
  static constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

  // Fails as ReadFile fails when the file is missing or cannot be read.
  static Result<LinePieces> Open(const std::string& path, std::size_t piece_bytes = kPieceBytes);

  // Piece i holds the lines that start in bytes [i * piece_bytes, (i + 1) * piece_bytes) of the
  // file, a line starting after the first CR at or after i * piece_bytes (and after the LF that
  // follows it); so every line is in exactly one piece, as LineTable::SplitAtCr splits the file
  // whole, and a piece inside a long line holds none.
  std::size_t size() const { return pieces_; }
  const std::string& path() const { return path_; }

  // Calls visit(piece, lines) for every piece, on as many threads as the file is worth
  // (common::PartsFor), each piece once and in no particular order. A piece that fails to read
  // is visited with no lines, and the failure kept for ReadFailure.
  void ForEach(const std::function<void(std::size_t piece, LineTable lines)>& visit) const;

  // The lines of one piece, read again (no lines when it fails to read, kept for ReadFailure).
  LineTable ReadPiece(std::size_t piece) const;

  // Why a piece read so far failed to read (the file failed, or has become shorter than it was),
  // for the caller to tell the user; Status() when every piece read whole.
  Status ReadFailure() const;

 private:
  LinePieces(std::string path, OpenedFile file, std::size_t piece_bytes);
  // Where the first line at or after offset starts (the file's size when none does).
  std::size_t LineStartFrom(std::size_t offset, ByteBuffer& probe) const;
  LineTable Read(std::size_t piece, ByteBuffer& probe) const;
  bool ReadAt(std::size_t offset, char* into, std::size_t count) const;

  std::string path_;
  OpenedFile file_;
  // The errno of the first failed read (0: none), set from any thread of ForEach.
  std::unique_ptr<std::atomic<int>> failed_errno_ = std::make_unique<std::atomic<int>>(0);
  std::size_t piece_bytes_;
  std::size_t pieces_;
};

}  // namespace trubkom::common
