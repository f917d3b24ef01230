#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The occurrences of one short byte string in a long text. The price pass searches twenty
// megabytes for a brand that begins most lines: sixteen positions are screened at a time for
// the needle's first and last bytes, and only those that pass are compared in full.
namespace trubkom::common {

class SubstringSearch {
 public:
  explicit SubstringSearch(std::string needle);
  // The first occurrence at or after from; npos when there is none.
  std::size_t Find(std::string_view text, std::size_t from) const;
  const std::string& needle() const { return needle_; }

 private:
  std::string needle_;
};

}  // namespace trubkom::common
