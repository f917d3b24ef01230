#include "common/pattern_set.h"

namespace trubkom::common {

namespace {

std::uint64_t EdgeKey(std::uint32_t node, unsigned char c) { return std::uint64_t{node} * 256 + c; }

}  // namespace

PatternSet::PatternSet(const std::vector<std::string>& patterns) {
  nodes_.emplace_back();
  byte_of_.push_back(0);
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    std::uint32_t node = kRoot;
    for (char ch : patterns[i]) {
      auto c = static_cast<unsigned char>(ch);
      std::uint32_t child = Child(node, c);
      if (child == kNone) {
        child = static_cast<std::uint32_t>(nodes_.size());
        nodes_.emplace_back();
        byte_of_.push_back(c);
        nodes_[node].children.push_back(child);
        edges_.emplace(EdgeKey(node, c), child);
      }
      node = child;
    }
    if (nodes_[node].pattern == kNone) nodes_[node].pattern = static_cast<std::uint32_t>(i);
  }
  LinkFailures();
}

std::uint32_t PatternSet::Child(std::uint32_t node, unsigned char c) const {
  auto found = edges_.find(EdgeKey(node, c));
  return found == edges_.end() ? kNone : found->second;
}

std::uint32_t PatternSet::Next(std::uint32_t state, unsigned char c) const {
  for (;;) {
    std::uint32_t child = Child(state, c);
    if (child != kNone) return child;
    if (state == kRoot) return kRoot;
    state = nodes_[state].fail;
  }
}

// Breadth first, so that a node's failure, being shorter, is linked before the node itself.
void PatternSet::LinkFailures() {
  std::vector<std::uint32_t> queue = {kRoot};
  for (std::size_t next = 0; next < queue.size(); ++next) {
    std::uint32_t parent = queue[next];
    for (std::uint32_t child : nodes_[parent].children) {
      Node& n = nodes_[child];
      n.fail = parent == kRoot ? kRoot : Next(nodes_[parent].fail, byte_of_[child]);
      const Node& fail = nodes_[n.fail];
      n.output = fail.pattern != kNone ? n.fail : fail.output;
      queue.push_back(child);
    }
  }
}

}  // namespace trubkom::common
