#include "common/line_pieces.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/parallel_parts.h"

namespace trubkom::common {

namespace {

// A line's start is looked for this many bytes at a time: lines of the index are a few hundred.
constexpr std::size_t kProbeBytes = 4096;

}  // namespace

Result<LinePieces> LinePieces::Open(const std::string& path, std::size_t piece_bytes) {
  Result<OpenedFile> file = OpenFileForReading(path);
  if (!file) return file.error();
  return LinePieces(path, std::move(*file), piece_bytes);
}

Status LinePieces::ReadFailure() const {
  const int failed = failed_errno_->load();
  if (failed != 0) return ReadFailed(path_, failed);
  return {};
}

LinePieces::LinePieces(std::string path, OpenedFile file, std::size_t piece_bytes)
    : path_(std::move(path)),
      file_(std::move(file)),
      piece_bytes_(std::max<std::size_t>(piece_bytes, 1)),
      // A file that says it is empty may still hold lines (those of /proc do): it is one piece,
      // read whole as far as it goes.
      pieces_(file_.size == 0 ? 1 : (file_.size + piece_bytes_ - 1) / piece_bytes_) {}

// Reads count bytes at offset whole; false, the failure kept, when the file fails to read or has
// become shorter than it was.
bool LinePieces::ReadAt(std::size_t offset, char* into, std::size_t count) const {
  while (count > 0) {
    ssize_t got = ::pread(file_.fd.get(), into, count, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      int expected = 0;
      failed_errno_->compare_exchange_strong(expected, got < 0 ? errno : EIO);
      return false;
    }
    offset += static_cast<std::size_t>(got);
    into += got;
    count -= static_cast<std::size_t>(got);
  }
  return true;
}

std::size_t LinePieces::LineStartFrom(std::size_t offset, ByteBuffer& probe) const {
  if (offset == 0) return 0;
  for (std::size_t at = offset; at < file_.size; at += kProbeBytes) {
    // One byte more than a probe, so that the LF after a CR at its end is seen.
    const std::size_t count = std::min(kProbeBytes + 1, file_.size - at);
    probe.resize(count);
    if (!ReadAt(at, probe.data(), count)) return file_.size;
    const std::size_t in_probe = std::min(kProbeBytes, count);
    if (const void* cr = std::memchr(probe.data(), '\r', in_probe)) {
      std::size_t start = static_cast<std::size_t>(static_cast<const char*>(cr) - probe.data()) + 1;
      if (start < count && probe.data()[start] == '\n') ++start;
      return at + start;
    }
  }
  return file_.size;
}

LineTable LinePieces::Read(std::size_t piece, ByteBuffer& probe) const {
  if (file_.size == 0) {
    ByteBuffer bytes;
    if (Status read = ReadFileInto(path_, bytes); !read) {
      int expected = 0;
      failed_errno_->compare_exchange_strong(expected, EIO);
      bytes.resize(0);
    }
    return LineTable::SplitAtCr(std::move(bytes));
  }
  const std::size_t start = LineStartFrom(piece * piece_bytes_, probe);
  const std::size_t end = std::max(start, LineStartFrom((piece + 1) * piece_bytes_, probe));
  ByteBuffer bytes;
  bytes.resize(end - start);
  if (!ReadAt(start, bytes.data(), end - start)) bytes.resize(0);
  return LineTable::SplitAtCr(std::move(bytes));
}

LineTable LinePieces::ReadPiece(std::size_t piece) const {
  ByteBuffer probe;
  return Read(piece, probe);
}

void LinePieces::ForEach(const std::function<void(std::size_t, LineTable)>& visit) const {
  std::atomic<std::size_t> next{0};
  RunParts(PartsFor(file_.size, piece_bytes_), [&](std::size_t) {
    ByteBuffer probe;
    for (std::size_t piece = next++; piece < pieces_; piece = next++) {
      visit(piece, Read(piece, probe));
    }
  });
}

}  // namespace trubkom::common
