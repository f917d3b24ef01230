#include "selection/indexed_lines.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <limits>
#include <optional>
#include <set>
#include <stdexcept>

#include "common/parallel_parts.h"
#include "common/short_bytes.h"
#include "common/string_ops.h"
#include "common/table_cap.h"
#include "selection/index_entries.h"
#include "selection/model_index.h"
#include "selection/posting_writer.h"

namespace trubkom::selection {

using index_entries::Entry;
using index_entries::ForEachEntry;
using index_entries::SmallProperty;
using postings::Packed;
using postings::PostingWriter;
using postings::ReadNumber;
using postings::Unpacked;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A plain decimal from 0 to 2^31 - 1 that is its own code.
std::optional<std::uint32_t> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value >= IndexedLines::kTextCode) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

constexpr long long kNotANumber = std::numeric_limits<long long>::min();
constexpr std::size_t kSmallProperties = 1024;  // above every index_entries::SmallProperty

// Lines are read in parts of at least this many bytes, each on a thread of its own.
constexpr std::size_t kPartBytes = std::size_t{1} << 20;

}  // namespace

bool AllDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsDigit); }

std::optional<long long> PlainDecimal(std::string_view text) {
  std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 18 || !AllDigits(digits)) return std::nullopt;
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  if (text.starts_with('-') && digits == "0") return std::nullopt;
  return common::TextToInt(text);
}

// Which "|" of a window start an entry of one of a few properties: those followed by the
// property's digits and "(". The two bytes after a "|" are looked up among the patterns' (a
// table of the 65,536 pairs), so that only the few "|" followed by the first two
// characters of one of the patterns are compared whole, with the patterns of that pair alone;
// cheaper than reading every entry when most are of other properties. For up to eight patterns the
// pairs are first looked at sixteen places at a time. Given too many properties, an empty one, or
// one of more than six digits, it keeps every "|".
class KeptEntryScreen {
 public:
  explicit KeptEntryScreen(const std::vector<std::string>* only_properties) {
    if (only_properties == nullptr || only_properties->size() > kMostPatterns) return;
    for (const std::string& digits : *only_properties) {
      std::string pattern = "|" + digits + "(";
      // An empty property ("|(") leaves no pair to look for.
      if (pattern.size() > kLongestPattern || pattern.size() < 3) return;
      const std::string pair = pattern.substr(1, 2);
      if (std::find(pairs_.begin(), pairs_.end(), pair) == pairs_.end()) pairs_.push_back(pair);
      Masked masked{0, 0, PairNumber(pattern.data() + 1)};
      for (std::size_t i = 0; i < pattern.size(); ++i) {
        masked.value |= std::uint64_t{static_cast<unsigned char>(pattern[i])} << (8 * i);
        masked.mask |= std::uint64_t{0xFF} << (8 * i);
      }
      masked_.push_back(masked);
    }
    // The patterns of a pair side by side, the first of each found by the pair.
    std::sort(masked_.begin(), masked_.end(),
              [](const Masked& a, const Masked& b) { return a.pair < b.pair; });
    first_of_pair_.assign(65536, 0);
    for (std::size_t i = masked_.size(); i-- > 0;) {
      first_of_pair_[masked_[i].pair] = static_cast<std::uint8_t>(i + 1);
    }
#if TRUBKOM_USE_SSE2
    for (std::size_t i = 0; i < pairs_.size() && i < kMostSideBySide; ++i) {
      first_broadcast_[i] = _mm_set1_epi8(pairs_[i][0]);
      second_broadcast_[i] = _mm_set1_epi8(pairs_[i][1]);
    }
#endif
    screens_ = true;
  }

  std::uint64_t operator()(const char* window, std::uint64_t bars, const char* readable_end) const {
    if (!screens_ || bars == 0) return bars;
#if TRUBKOM_USE_SSE2
    if (pairs_.size() <= kMostSideBySide &&
        readable_end - window >= static_cast<std::ptrdiff_t>(64 + 17)) {
      bars &= FollowedByAPair(window);
    }
#endif
    std::uint64_t kept = 0;
    for (std::uint64_t rest = bars; rest != 0; rest &= rest - 1) {
      const int place = std::countr_zero(rest);
      if (MayStart(window + place, readable_end)) kept |= std::uint64_t{1} << place;
    }
    return kept;
  }

 private:
  static constexpr std::size_t kMostPatterns = 64;
  static constexpr std::size_t kMostSideBySide = 8;
  static constexpr std::size_t kLongestPattern = 8;

  static std::size_t PairNumber(const char* pair) {
    return static_cast<unsigned char>(pair[0]) | std::size_t{static_cast<unsigned char>(pair[1])}
                                                     << 8;
  }

#if TRUBKOM_USE_SSE2
  // The places of the 64 from window whose next two bytes are one of the pairs.
  std::uint64_t FollowedByAPair(const char* window) const {
    std::uint64_t places = 0;
    for (int block = 0; block < 4; ++block) {
      const char* const from = window + 16 * block;
      const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 1));
      const __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 2));
      __m128i any = _mm_setzero_si128();
      for (std::size_t i = 0; i < pairs_.size(); ++i) {
        any = _mm_or_si128(any, _mm_and_si128(_mm_cmpeq_epi8(next, first_broadcast_[i]),
                                              _mm_cmpeq_epi8(after, second_broadcast_[i])));
      }
      places |= std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(any))} << (16 * block);
    }
    return places;
  }
#endif

  // Whether the "|" at bar starts a kept entry; one too near the end to tell is kept, and read.
  bool MayStart(const char* bar, const char* readable_end) const {
    if (readable_end - bar < static_cast<std::ptrdiff_t>(kLongestPattern)) return true;
    const std::size_t pair = PairNumber(bar + 1);
    const std::uint8_t first = first_of_pair_[pair];
    if (first == 0) return false;
    const std::uint64_t word = common::LoadEightBytes(bar);
    for (std::size_t i = first - 1; i < masked_.size() && masked_[i].pair == pair; ++i) {
      if ((word & masked_[i].mask) == masked_[i].value) return true;
    }
    return false;
  }

  // A pattern as the eight bytes from a "|" are loaded (little-endian), which of them count, and
  // the two after its "|".
  struct Masked {
    std::uint64_t value, mask;
    std::size_t pair;
  };

  bool screens_ = false;
  std::vector<Masked> masked_;
  std::vector<std::string> pairs_;  // the two characters after the patterns' "|", each once
  // By PairNumber: 1 + the first pattern whose "|" is followed by the pair; 0 for none.
  std::vector<std::uint8_t> first_of_pair_;
#if TRUBKOM_USE_SSE2
  __m128i first_broadcast_[kMostSideBySide] = {};   // each pair's first character, sixteen times
  __m128i second_broadcast_[kMostSideBySide] = {};  // and its second
#endif
};

// The entries of a run of lines, read into streams by property, with the properties and texts
// the run has; runs read apart are put together in line order.
class IndexedLines::Builder {
 public:
  // The screen is made once for all the parts (its table of pairs is 64 KiB) and outlives them.
  Builder(const std::vector<std::string>* only_properties, const KeptEntryScreen& screen)
      : small_writers_(kSmallProperties),
        keep_small_(kSmallProperties, only_properties == nullptr),
        screen_(&screen) {
    if (only_properties == nullptr) return;
    keep_other_.emplace();
    for (const std::string& digits : *only_properties) {
      int small = SmallProperty(digits);
      if (small >= 0) {
        keep_small_[static_cast<std::size_t>(small)] = true;
      } else {
        keep_other_->insert(digits);
      }
    }
  }

  void Read(const common::LineTable& lines, std::size_t first, std::size_t last) {
    // Asking for each entry whether its property is kept costs the full index a twentieth more.
    if (keep_other_) {
      ReadKept<true>(lines, first, last);
    } else {
      ReadKept<false>(lines, first, last);
    }
  }

  template <bool kSomeKept>
  void ReadKept(const common::LineTable& lines, std::size_t first, std::size_t last) {
    // The writers are held here, not reloaded from the builder after every byte written: the
    // streams' bytes may alias anything.
    PostingWriter* const small_writers = small_writers_.data();
    const unsigned char* const keep_small = keep_small_.data();
    auto visit_usual = [small_writers, keep_small](std::uint32_t line, int property,
                                                   std::uint32_t value) {
      if (!kSomeKept || keep_small[property]) small_writers[property].Add(line, Packed(value));
    };
    auto visit_any = [&](std::uint32_t line, const Entry& entry) {
      if (kSomeKept && (entry.small_property >= 0 ? !keep_small[entry.small_property]
                                                  : !keep_other_->contains(entry.digits))) {
        return;
      }
      PostingWriter& writer = entry.small_property >= 0 ? small_writers[entry.small_property]
                                                        : other_writers_[std::string(entry.digits)];
      std::uint32_t value = kUnclosed;
      if (entry.small_value >= 0) {
        value = static_cast<std::uint32_t>(entry.small_value);
      } else if (entry.value) {
        value = InternValue(*entry.value);
        writer.HasTexts();
      }
      writer.Add(line, Packed(value));
    };
    if constexpr (kSomeKept) {
      index_entries::ForEachKeptEntry(lines, first, last, visit_usual, visit_any,
                                      std::cref(*screen_));
    } else {
      ForEachEntry(lines, first, last, visit_usual, visit_any);
    }
  }

  // Takes in the texts of a later part's values, whose codes there are renumbered to the ones
  // here.
  void AdoptTextsOf(Builder& later) {
    if (later.text_numbers_.empty()) return;
    std::vector<std::uint32_t> new_numbers(later.text_numbers_.size());
    for (const auto& [text, number] : later.text_codes_) {
      new_numbers[number] = InternValue(text) & ~kTextCode;
    }
    for (PostingWriter& writer : later.small_writers_) writer.RenumberTexts(new_numbers);
    for (auto& [digits, writer] : later.other_writers_) writer.RenumberTexts(new_numbers);
  }

  // Gives every property that has an entry in some part its id, the small numbers first, with
  // its streams in the parts' order; the first part's texts become the index's.
  // first_lines[part]: the line a part's steps count from.
  static void MoveInto(std::vector<Builder>& parts, IndexedLines& index,
                       const std::vector<std::uint32_t>& first_lines) {
    auto add_property = [&](auto writer_of) {
      std::vector<Stream> streams;
      for (std::size_t part = 0; part < parts.size(); ++part) {
        PostingWriter* writer = writer_of(parts[part]);
        if (writer == nullptr || writer->empty()) continue;
        streams.push_back(writer->Finish());
        streams.back().first_line = first_lines[part];
      }
      if (streams.empty()) return -1;
      index.postings_.push_back(std::move(streams));
      return static_cast<int>(index.postings_.size() - 1);
    };
    index.small_property_ids_.assign(kSmallProperties, -1);
    for (std::size_t property = 0; property < kSmallProperties; ++property) {
      index.small_property_ids_[property] =
          add_property([&](Builder& part) { return &part.small_writers_[property]; });
    }
    for (Builder& part : parts) {
      for (const auto& [digits, writer] : part.other_writers_) {
        if (index.property_ids_.contains(digits)) continue;
        const std::string key = digits;
        index.property_ids_[key] = add_property([&](Builder& other) -> PostingWriter* {
          auto found = other.other_writers_.find(key);
          return found == other.other_writers_.end() ? nullptr : &found->second;
        });
      }
    }
    index.text_codes_ = std::move(parts[0].text_codes_);
    index.text_numbers_ = std::move(parts[0].text_numbers_);
  }

 private:
  std::uint32_t InternValue(std::string_view value) {  // of a value that is no small number
    auto [found, added] = text_codes_.try_emplace(std::string(value),
                                                  static_cast<std::uint32_t>(text_numbers_.size()));
    if (added) text_numbers_.push_back(PlainDecimal(value).value_or(kNotANumber));
    return kTextCode | found->second;
  }

  std::vector<PostingWriter> small_writers_;  // by the property's number
  std::vector<unsigned char> keep_small_;     // by the property's number: whether it is kept
  // The other properties kept (their digits); every one when none are named.
  std::optional<std::set<std::string, std::less<>>> keep_other_;
  const KeptEntryScreen* screen_;
  std::unordered_map<std::string, PostingWriter> other_writers_;  // by the property's digits
  std::unordered_map<std::string, std::uint32_t> text_codes_;
  std::vector<long long> text_numbers_;
};

namespace {

// Where each part of the lines begins, the parts about the same number of bytes; the end last.
std::vector<std::size_t> PartBounds(const common::LineTable& lines, std::size_t parts) {
  std::vector<std::size_t> bounds = {0};
  for (std::size_t part = 1; part < parts; ++part) {
    const std::size_t from = lines.bytes().size() / parts * part;
    std::size_t line = bounds.back();
    while (line < lines.size() &&
           static_cast<std::size_t>(lines[line].data() - lines.bytes().data()) < from) {
      ++line;
    }
    bounds.push_back(line);
  }
  bounds.push_back(lines.size());
  return bounds;
}

}  // namespace

// Each part of the lines is read on a thread of its own (the first on this one), into streams
// that are kept as they are, by part: reading the entries is most of the time a large index
// takes to load.
IndexedLines::IndexedLines(common::LineTable lines, std::size_t parts,
                           const std::vector<std::string>* only_properties)
    : lines_(std::move(lines)) {
  if (parts == 0) parts = common::PartsFor(lines_.bytes().size(), kPartBytes);
  const std::vector<std::size_t> bounds = PartBounds(lines_, parts);
  std::vector<Builder> builders;
  const KeptEntryScreen screen(only_properties);
  for (std::size_t part = 0; part < parts; ++part) builders.emplace_back(only_properties, screen);
  common::RunParts(parts, [&](std::size_t part) {
    builders[part].Read(lines_, bounds[part], bounds[part + 1]);
  });
  for (std::size_t part = 1; part < parts; ++part) builders[0].AdoptTextsOf(builders[part]);
  // The parts' lines are numbered in the whole: each counts its steps from line 0.
  Builder::MoveInto(builders, *this, std::vector<std::uint32_t>(parts, 0));
}

// Each piece is read into a builder of its own with its lines numbered from 0, and then counts
// its steps from its first line in the whole.
IndexedLines IndexedLines::ReadHeads(common::LinePieces pieces,
                                     const std::vector<std::string>& only_properties) {
  IndexedLines index;
  const KeptEntryScreen screen(&only_properties);
  std::vector<Builder> builders;
  for (std::size_t piece = 0; piece < pieces.size(); ++piece) {
    builders.emplace_back(&only_properties, screen);
  }
  std::vector<common::LineTable> heads(pieces.size());
  pieces.ForEach([&](std::size_t piece, common::LineTable lines) {
    builders[piece].Read(lines, 0, lines.size());
    for (std::string_view line : lines) heads[piece].Append(IndexHead(line));
  });
  index.piece_first_lines_ = {0};
  for (const common::LineTable& piece : heads) {
    const std::uint64_t next = std::uint64_t{index.piece_first_lines_.back()} + piece.size();
    common::CheckTableSize(next, "переполнен индекс моделей");
    index.piece_first_lines_.push_back(static_cast<std::uint32_t>(next));
  }
  for (std::size_t piece = 1; piece < builders.size(); ++piece) {
    builders[0].AdoptTextsOf(builders[piece]);
  }
  if (!builders.empty()) Builder::MoveInto(builders, index, index.piece_first_lines_);
  index.lines_ = common::LineTable::Join(std::move(heads));
  index.pieces_ = std::move(pieces);
  return index;
}

common::Result<std::string> IndexedLines::WholeLine(std::size_t line) const {
  const std::string_view head = lines_[line];
  if (!pieces_) return std::string(head);
  const auto after = std::upper_bound(piece_first_lines_.begin(), piece_first_lines_.end(), line);
  const auto piece = static_cast<std::size_t>(after - piece_first_lines_.begin()) - 1;
  const common::LineTable lines = pieces_->ReadPiece(piece);
  if (common::Status read = pieces_->ReadFailure(); !read) return read.error();
  const std::size_t at = line - piece_first_lines_[piece];
  // A file changed in place since it was read: the line is no longer where it was.
  if (lines.size() != piece_first_lines_[piece + 1] - piece_first_lines_[piece] ||
      !lines[at].starts_with(head)) {
    return common::ErrorAbout(common::ErrorCode::kDamaged, "Файл", pieces_->path(),
                              "изменён после чтения; страница модели показана без него");
  }
  return std::string(lines[at]);
}

bool IndexedLines::Postings::Next(std::uint32_t& line, std::uint32_t& value) {
  while (at_ == end_) {  // the next part's stream, its steps counted from line 0
    if (next_part_ == last_part_) return false;
    at_ = next_part_->bytes.get();
    end_ = at_ + next_part_->size;
    line_ = next_part_->first_line;
    ++next_part_;
  }
  line_ += ReadNumber(at_);
  line = line_;
  value = Unpacked(ReadNumber(at_));
  return true;
}

int IndexedLines::PropertyId(std::string_view digits) const {
  int small = SmallProperty(digits);
  if (small >= 0) return small_property_ids_[static_cast<std::size_t>(small)];
  auto found = property_ids_.find(std::string(digits));
  return found == property_ids_.end() ? -1 : found->second;
}

std::uint32_t IndexedLines::CodeOf(std::string_view value) const {
  if (auto small = SmallNumber(value)) return *small;
  auto found = text_codes_.find(std::string(value));
  return found == text_codes_.end() ? kNoSuchText : kTextCode | found->second;
}

std::optional<long long> IndexedLines::NumberOf(std::uint32_t code) const {
  if (code < kTextCode) return code;
  if (code == kUnclosed || code == kNoSuchText) return std::nullopt;
  long long number = text_numbers_[code & ~kTextCode];
  if (number == kNotANumber) return std::nullopt;
  return number;
}

IndexedLines::Postings IndexedLines::PostingsOf(int property) const {
  Postings postings;
  if (property < 0 || static_cast<std::size_t>(property) >= postings_.size()) return postings;
  const std::vector<Stream>& parts = postings_[static_cast<std::size_t>(property)];
  postings.next_part_ = parts.data();
  postings.last_part_ = parts.data() + parts.size();
  return postings;
}

std::size_t IndexedLines::MemoryBytes() const {
  std::size_t bytes = sizeof *this + lines_.MemoryBytes() +
                      small_property_ids_.capacity() * sizeof(int) +
                      text_numbers_.capacity() * sizeof(long long);
  for (const std::vector<Stream>& parts : postings_) {
    bytes += sizeof parts;
    for (const Stream& stream : parts) bytes += sizeof stream + stream.size;
  }
  for (const auto& [text, code] : text_codes_) bytes += sizeof(text) + 16 + text.capacity();
  for (const auto& [text, id] : property_ids_) bytes += sizeof(text) + 16 + text.capacity();
  return bytes;
}

}  // namespace trubkom::selection
