#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The basket: the models the user has put aside to compare, in the order they were added.
namespace trubkom::catalogue {

struct BasketEntry {
  std::string model;  // "brand model" (Windows-1251), as the list it came from shows it
  std::string price;  // the price text shown beside it; empty when the list had none
};

class Basket {
 public:
  // Appends the entry unless one with the same model, ASCII letter case ignored, is already
  // there. Returns false when the entry was refused as such a duplicate.
  bool Add(std::string model, std::string price);
  // Removes the entry at the position; a position past the end removes nothing.
  void Remove(std::size_t position);
  void Clear();

  const std::vector<BasketEntry>& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }

  // The models in basket order, each followed by "^", as the comparison page reads them.
  std::string ComparisonText() const;

 private:
  bool Holds(const std::string& model) const;

  std::vector<BasketEntry> entries_;
};

}  // namespace trubkom::catalogue
