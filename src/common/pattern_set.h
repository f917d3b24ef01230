#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Which of many byte strings occur in a text, found in one pass over the text (an Aho-Corasick
// automaton). The time grows with the text's length plus the number of strings found, never with
// the product of the text's length and the strings' lengths, whatever the text holds.
namespace trubkom::common {

class PatternSet {
 public:
  explicit PatternSet(const std::vector<std::string>& patterns);

  // Calls found(i) for each pattern i that occurs in text, once per call however often it
  // occurs. Patterns equal to each other are reported under the first one's number only.
  template <typename Found>
  void ForEachFound(std::string_view text, Found found) {
    ++scan_;
    std::uint32_t state = kRoot;
    Report(state, found);
    for (char c : text) {
      state = Next(state, static_cast<unsigned char>(c));
      Report(state, found);
    }
  }

 private:
  static constexpr std::uint32_t kRoot = 0;
  static constexpr std::uint32_t kNone = UINT32_MAX;

  struct Node {
    std::uint32_t fail = kRoot;    // the longest proper suffix that is also a prefix of a pattern
    std::uint32_t output = kNone;  // the nearest node on the fail chain that ends a pattern
    std::uint32_t pattern = kNone;
    std::uint64_t scan = 0;  // the last scan that reported this node
    std::vector<std::uint32_t> children;
  };

  std::uint32_t Child(std::uint32_t node, unsigned char c) const;
  std::uint32_t Next(std::uint32_t state, unsigned char c) const;
  void LinkFailures();

  // Reports the patterns ending at state. A node reported in this scan had its whole output
  // chain reported then, so the walk stops there: each pattern costs one step per scan.
  template <typename Found>
  void Report(std::uint32_t state, Found& found) {
    std::uint32_t node = nodes_[state].pattern != kNone ? state : nodes_[state].output;
    for (; node != kNone && nodes_[node].scan != scan_; node = nodes_[node].output) {
      nodes_[node].scan = scan_;
      found(static_cast<std::size_t>(nodes_[node].pattern));
    }
  }

  std::vector<Node> nodes_;
  std::vector<unsigned char> byte_of_;                      // the byte leading into each node
  std::unordered_map<std::uint64_t, std::uint32_t> edges_;  // node * 256 + byte -> child
  std::uint64_t scan_ = 0;
};

}  // namespace trubkom::common
