#include "catalogue/basket.h"

#include <algorithm>
#include <utility>

#include "common/ascii.h"

namespace trubkom::catalogue {

bool Basket::Holds(const std::string& model) const {
  return std::any_of(entries_.begin(), entries_.end(), [&model](const BasketEntry& entry) {
    return common::EqualsIgnoringAsciiCase(entry.model, model);
  });
}

bool Basket::Add(std::string model, std::string price) {
  if (Holds(model)) return false;
  entries_.push_back({std::move(model), std::move(price)});
  return true;
}

void Basket::Remove(std::size_t position) {
  if (position < entries_.size()) entries_.erase(entries_.begin() + static_cast<long>(position));
}

void Basket::Clear() { entries_.clear(); }

std::string Basket::ComparisonText() const {
  std::string text;
  for (const BasketEntry& entry : entries_) text += entry.model + "^";
  return text;
}

}  // namespace trubkom::catalogue
