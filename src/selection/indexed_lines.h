#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/line_pieces.h"
#include "common/line_table.h"

// The model index read once for the wizard: every entry "|P(V)" of every line, kept by
// property, so that a criterion reads the entries of its own property and no line's text.
namespace trubkom::selection {

// For each property a stream of its entries in line order, each the step from the line of the
// entry before and the value's code, as numbers of seven bits a byte. Two or three bytes an
// entry, against the five to seven of its text. A large index is read in parts side by side;
// a property's stream is then the parts' streams one after another, each counting its steps
// from line 0.
class IndexedLines {
 public:
  // The lines are read in parts, each on a thread of its own: by default as many as there are
  // processors, for an index of a megabyte a part or more.
  // Given only_properties (texts of digits), only the entries of those properties are kept:
  // an index built to answer one criteria list (CompiledCriteria::PropertiesRead).
  explicit IndexedLines(common::LineTable lines = {}, std::size_t parts = 0,
                        const std::vector<std::string>* only_properties = nullptr);

  // The index read from its file a piece at a time, holding of each line only its brand and model
  // fields (IndexHead: what lists and results show) and of its entries only those of
  // only_properties; a line's whole text is read again from the file when asked for (WholeLine).
  // The window's index: the file's text is not held twice, in the page cache and here.
  static IndexedLines ReadHeads(common::LinePieces pieces,
                                const std::vector<std::string>& only_properties);

  // A value: a plain decimal below 2^31 is its own code; any other text has kTextCode plus its
  // number among the texts; a value without a ")" after it has kUnclosed and equals nothing.
  static constexpr std::uint32_t kTextCode = 0x80000000u;
  static constexpr std::uint32_t kUnclosed = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoSuchText = 0xFFFFFFFEu;  // a text no entry has

  // A property's stream in one part. Grown with realloc while the lines are read, so that room
  // not written yet is never zeroed, and cut to its size at the end.
  struct Stream {
    struct Free {
      void operator()(unsigned char* bytes) const { std::free(bytes); }
    };
    std::unique_ptr<unsigned char, Free> bytes;
    std::size_t size = 0;
    std::uint32_t first_line = 0;  // the line its steps are counted from
  };

  // The entries of one property, read in line order; a line has one for each of its entries.
  class Postings {
   public:
    bool Next(std::uint32_t& line, std::uint32_t& value);  // false after the last

   private:
    friend class IndexedLines;
    const unsigned char* at_ = nullptr;
    const unsigned char* end_ = nullptr;
    std::uint32_t line_ = 0;
    const Stream* next_part_ = nullptr;  // the parts' streams still to read
    const Stream* last_part_ = nullptr;
  };

  // The lines, or their heads for an index read by ReadHeads.
  const common::LineTable& lines() const { return lines_; }
  // A line's whole text. Read again from the file for an index of heads, which fails when the
  // file fails to read or no longer has the line (changed in place since).
  common::Result<std::string> WholeLine(std::size_t line) const;
  // Why the file of an index of heads failed to read, in part or whole, when it did.
  common::Status ReadFailure() const { return pieces_ ? pieces_->ReadFailure() : common::Status(); }
  // The entries of a property given as its text of digits; none when no line has it.
  Postings PostingsOf(int property) const;
  int PropertyId(std::string_view digits) const;  // -1 when no line has the property
  // The code of a value text as written in a criterion (kNoSuchText when no entry has it).
  std::uint32_t CodeOf(std::string_view value) const;
  // The number a coded value stands for when it is a plain decimal.
  std::optional<long long> NumberOf(std::uint32_t code) const;
  std::size_t MemoryBytes() const;

 private:
  class Builder;

  common::LineTable lines_;
  std::optional<common::LinePieces> pieces_;           // the file of an index of heads
  std::vector<std::uint32_t> piece_first_lines_;       // by piece: its first line; then the count
  std::vector<int> small_property_ids_;                // by plain number below 1024
  std::unordered_map<std::string, int> property_ids_;  // any other text of digits
  std::vector<std::vector<Stream>> postings_;          // by property id: its stream of each part
  std::unordered_map<std::string, std::uint32_t> text_codes_;  // value text -> its number
  std::vector<long long> text_numbers_;  // by text number: its plain decimal, or kNotANumber
};

bool AllDigits(std::string_view text);

// The number whose plain decimal text (as std::to_string writes it) is text.
std::optional<long long> PlainDecimal(std::string_view text);

}  // namespace trubkom::selection
