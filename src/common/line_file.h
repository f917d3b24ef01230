#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "common/byte_buffer.h"
#include "common/file_at.h"
#include "common/result.h"
#include "common/string_ops.h"
#include "common/unique_fd.h"

// Catalogue text files as lines. Two line rules exist: templates and the model index end a line
// only at CR (a LF right after that CR belongs to the line end; a lone LF is ordinary text);
// every other text file ends a line at CR LF, CR or LF. A final line without an end counts
// when it is not empty. Files the system writes end every line with CR LF.
namespace trubkom::common {

// The most bytes read from one catalogue file of each kind. A larger file is not what it claims
// to be (a damaged copy, a link to something endless) and is read as missing, with a warning,
// before it can exhaust memory or time. Each cap of a small file is many times the largest real
// file of its kind.
inline constexpr std::size_t kSettingFileCap = std::size_t{1} << 20;   // Templates/hp, config.tkm
inline constexpr std::size_t kTemplateFileCap = std::size_t{4} << 20;  // page templates
// Brand files, the index and price lists are the user's data: read whatever their size, up to
// what the machine can hold (its physical memory), so that no catalogue loses data for being
// large.
std::size_t DataFileCap();

// The bytes of a regular file (or a link to one), read whole, or why they could not be read:
// kMissing for a missing file, kNotAFile for a folder, FIFO or device, kTooLarge beyond cap or
// beyond the memory there is, and the system's reason for a failed read. Never blocks on a FIFO,
// never throws, never warns: the caller decides whether a failure is worth telling the user.
Result<std::string> ReadFile(const std::string& path, std::size_t cap = DataFileCap());
// The same for a file in a folder held open; a link there is read as no regular file.
Result<std::string> ReadFile(const FileAt& file, std::size_t cap = DataFileCap());
// The same into a buffer the caller keeps, whose memory is reused from file to file (bytes holds
// nothing of use after a failure). A ByteBuffer's memory is not zeroed first: for the largest
// files.
Status ReadFileInto(const std::string& path, std::string& bytes, std::size_t cap = DataFileCap());
Status ReadFileInto(const std::string& path, ByteBuffer& bytes, std::size_t cap = DataFileCap());

// A regular file opened as ReadFile opens it, for reading in pieces.
struct OpenedFile {
  UniqueFd fd;
  std::size_t size = 0;  // at the open
};
Result<OpenedFile> OpenFileForReading(const std::string& path);
// The error of a file open for reading in pieces that failed to read at errno_value.
Error ReadFailed(const std::string& path, int errno_value);

// Calls visit(line) for every line of bytes, ended where is_line_end(c) holds (a CR LF counts
// as one end), without copying.
template <typename IsLineEnd, typename Visit>
void ForEachLine(std::string_view bytes, IsLineEnd is_line_end, Visit visit) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!is_line_end(bytes[i])) continue;
    visit(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) visit(bytes.substr(start));
}

inline bool IsCr(char c) { return c == '\r'; }
inline bool IsCrOrLf(char c) { return c == '\r' || c == '\n'; }

StringList SplitLinesAtCr(std::string_view bytes);
StringList SplitLinesAtAnyEnd(std::string_view bytes);

std::string JoinWithCrLf(const StringList& lines);
// Replaces the file atomically; the error says why it could not be written.
Status WriteLinesCrLf(const std::string& path, const StringList& lines);

}  // namespace trubkom::common
