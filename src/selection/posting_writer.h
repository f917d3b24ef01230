#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "selection/indexed_lines.h"

// A property's postings in the index: for each entry, the step from the line of the entry
// before and the value's code, as numbers of seven bits a byte.
namespace trubkom::selection::postings {

inline unsigned char* PutNumber(unsigned char* out, std::uint32_t number) {
  for (; number >= 0x80; number >>= 7) *out++ = static_cast<unsigned char>(number | 0x80);
  *out++ = static_cast<unsigned char>(number);
  return out;
}

// As PutNumber, without a branch on the length of a number below 2^14: nearly every step from
// line to line, and most values, take one byte, but which ones do is hard to predict.
inline unsigned char* PutShortNumber(unsigned char* out, std::uint32_t number) {
  if (number >= 1u << 14) return PutNumber(out, number);
  const bool two = number >= 0x80;
  out[0] = static_cast<unsigned char>((number & 0x7F) | (two ? 0x80 : 0));
  out[1] = static_cast<unsigned char>(number >> 7);
  return out + 1 + two;
}

inline std::uint32_t ReadNumber(const unsigned char*& at) {
  std::uint32_t number = 0;
  for (int shift = 0;; shift += 7) {
    unsigned char byte = *at++;
    number |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return number;
  }
}

// A value's code as stored: the small numbers, the commonest, in the fewest bytes.
inline std::uint32_t Packed(std::uint32_t code) {
  if (code == IndexedLines::kUnclosed) return 0;
  if (code < IndexedLines::kTextCode) return 2 * code + 1;
  return 2 * (code & ~IndexedLines::kTextCode) + 2;
}

inline std::uint32_t Unpacked(std::uint32_t packed) {
  if (packed == 0) return IndexedLines::kUnclosed;
  if (packed % 2 == 1) return (packed - 1) / 2;
  return IndexedLines::kTextCode | ((packed - 2) / 2);
}

// A property's postings as they are written.
class PostingWriter {
 public:
  void Add(std::uint32_t line, std::uint32_t packed_value) {
    if (static_cast<std::size_t>(room_end_ - at_) < kLongestEntry) Reserve(kLongestEntry);
    const std::uint32_t step = line - last_line_;
    last_line_ = line;
    if ((step | packed_value) < 0x80) {  // the commonest: a byte each
      at_[0] = static_cast<unsigned char>(step);
      at_[1] = static_cast<unsigned char>(packed_value);
      at_ += 2;
      return;
    }
    at_ = PutShortNumber(PutShortNumber(at_, step), packed_value);
  }
  bool empty() const { return at_ == bytes_.get(); }
  // Some value has the code of a text (which a later part's texts must be renumbered in).
  void HasTexts() { has_texts_ = true; }

  // Gives the values that are texts the numbers new_numbers has for them.
  void RenumberTexts(const std::vector<std::uint32_t>& new_numbers) {
    if (!has_texts_) return;
    PostingWriter renumbered;
    const unsigned char* at = bytes_.get();
    for (std::uint32_t line = 0; at != at_;) {
      line += ReadNumber(at);
      std::uint32_t packed = ReadNumber(at);
      if (packed != 0 && packed % 2 == 0) packed = 2 * new_numbers[(packed - 2) / 2] + 2;
      renumbered.Add(line, packed);
    }
    renumbered.has_texts_ = true;
    *this = std::move(renumbered);
  }

  IndexedLines::Stream Finish() {
    const std::size_t size = Size();
    if (at_ != room_end_) Resize(size);
    IndexedLines::Stream stream;
    stream.bytes.reset(bytes_.release());
    stream.size = size;
    at_ = room_end_ = nullptr;
    return stream;
  }

 private:
  static constexpr std::size_t kLongestEntry = 10;  // two numbers of at most five bytes

  std::size_t Size() const { return static_cast<std::size_t>(at_ - bytes_.get()); }
  void Reserve(std::size_t more) {
    const std::size_t capacity = static_cast<std::size_t>(room_end_ - bytes_.get());
    if (Size() + more > capacity) Resize(std::max({std::size_t{64}, 2 * capacity, Size() + more}));
  }
  void Resize(std::size_t capacity) {
    const std::size_t size = Size();
    void* bytes = std::realloc(bytes_.get(), std::max<std::size_t>(capacity, 1));
    if (bytes == nullptr) throw std::bad_alloc();
    static_cast<void>(bytes_.release());
    bytes_.reset(static_cast<unsigned char*>(bytes));
    at_ = bytes_.get() + size;
    room_end_ = bytes_.get() + capacity;
  }

  std::unique_ptr<unsigned char, IndexedLines::Stream::Free> bytes_;
  unsigned char* at_ = nullptr;        // where the next entry goes
  unsigned char* room_end_ = nullptr;  // the end of the room allocated
  std::uint32_t last_line_ = 0;
  bool has_texts_ = false;
};

}  // namespace trubkom::selection::postings
