#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "catalogue/model_list.h"
#include "common/line_table.h"
#include "common/string_ops.h"

// The search across brands: the models of every brand whose "brand model" holds each word the
// user typed, in any order, letter case ignored (Latin and Cyrillic), the brand found under each
// of its spellings ("sony k750" and "ericsson k750" both find Sony-Ericsson's K750i).
namespace trubkom::catalogue {

struct FoundModel {
  std::string brand;  // as the brand box shows it
  std::string model;  // as its models list shows it, " *" mark included
  std::string price;  // the models list's average price, or empty text

  // "brand model", the entry that the basket and the page commands take.
  std::string Entry() const { return brand + " " + model; }
};

// Every model of a catalogue, with its text to search made once, so that a search per key press
// reads one block of lowered text instead of lowering every name again.
class ModelSearch {
 public:
  // Appends a brand's models list (brand as the box shows it); results keep this order.
  void AddBrand(const std::string& brand, const std::vector<ModelRow>& rows);

  // The models holding every word of typed (words are separated by blanks), in the order they
  // were added; none for a text without words.
  std::vector<FoundModel> Find(std::string_view typed) const;

  std::size_t size() const { return models_.size(); }

 private:
  // The models whose brand or name holds the word, in order.
  std::vector<std::size_t> ModelsHolding(std::string_view word) const;
  bool Holds(std::size_t model, std::string_view word) const;
  std::string_view NameText(std::size_t model) const;

  // A model as its row shows it and as it is searched, compactly: a catalogue of hundreds of
  // thousands of models keeps a few tens of bytes for each. A word has no blank, so it is found
  // in the brand's text or in the model's, never across both: the brand's is kept once.
  struct Model {
    std::uint32_t brand;       // in brands_
    std::uint32_t model_size;  // of the model's name, which shown_ holds at shown_at, its price
    std::uint32_t shown_at;    // after; the price ends where the next model's name begins
    std::uint32_t name_at;     // of its lowered name in names_, which a '\n' ends
  };
  FoundModel Row(std::size_t model) const;

  common::StringList brands_;
  common::StringList brand_texts_;       // by brand: its spellings, lowered
  std::vector<std::size_t> brand_ends_;  // by brand: where its models end in models_
  std::vector<Model> models_;
  std::string shown_;
  std::string names_;  // by model: its name lowered, then '\n'
};

// The full models lists of the brands (the brand box's entries), as the window lists them.
ModelSearch BuildModelSearch(const Folders& folders, CatalogueData& data,
                             const common::LineTable& model_index,
                             const common::StringList& brands);

}  // namespace trubkom::catalogue
