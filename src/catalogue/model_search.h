#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "catalogue/listed_brands.h"
#include "catalogue/model_list.h"
#include "catalogue/searched_names.h"
#include "catalogue/sparse_prices.h"
#include "common/line_table.h"
#include "common/string_ops.h"
#include "common/substring_search.h"

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

// What a search found: the first rows, in the order the brands were added, and how many rows
// there are in all.
struct SearchResult {
  std::vector<FoundModel> first;
  std::size_t total = 0;
};

// Every model of a catalogue, with its text to search made once, so that a search per key press
// reads the lowered names instead of lowering every name again.
class ModelSearch {
 public:
  // Appends a brand's models list (brand as the box shows it); results keep this order.
  void AddBrand(ListedBrand listed);
  void AddBrands(std::vector<ListedBrand> listed);  // the same for many, made side by side
  void AddBrand(const std::string& brand, const std::vector<ModelRow>& rows);

  // The models holding every word of typed (words are separated by blanks), in the order they
  // were added; none for a text without words. When none holds them as typed, those holding
  // their Latin spelling (latin_spelling.h): a model typed in Cyrillic is found.
  std::vector<FoundModel> Find(std::string_view typed) const;
  // The same, making rows for the first limit models alone (a window lists a thousand at most):
  // a broad word costs a count, not a row for every model it finds.
  SearchResult Find(std::string_view typed, std::size_t limit) const;

  // Calls visit(row) for each model that Find(typed) finds, in the same order, the row made
  // anew in one place: a list of millions of rows costs what writing them out costs.
  using FoundVisit = std::function<void(const FoundModel& row)>;
  void ForEachFound(std::string_view typed, const FoundVisit& visit) const;

  std::size_t size() const { return size_; }

 private:
  SearchResult FindWords(const common::StringList& words, std::size_t limit) const;
  // The same within the brands [first_brand, end_brand).
  SearchResult FindIn(std::size_t first_brand, std::size_t end_brand,
                      const common::StringList& words, std::size_t limit) const;

  // A brand's models, kept apart from the other brands', so that no block of the whole
  // catalogue is ever copied to grow. A word has no blank, so it is found in the brand's text or
  // in a model's name, never across both: the brand's is kept once.
  struct Brand {
    std::string name;  // as the box shows it
    std::string text;  // its spellings, lowered
    SearchedNames names;
    SparsePrices prices;

    std::size_t size() const { return names.size(); }
    bool Holds(std::size_t model, std::string_view word) const;
    // Whether the model holds every word after the first (found already).
    bool HoldsTheOthers(std::size_t model, const common::StringList& words) const;
    // Calls visit(model) for each model whose name holds the word, in order.
    template <typename Visit>
    void ForEachNameHolding(const common::SubstringSearch& word, Visit visit) const;
    FoundModel Row(std::size_t model) const;
    void RowInto(std::size_t model, FoundModel& row) const;  // the same, reusing row's room
  };

  static Brand MakeBrand(ListedBrand listed);
  void Add(Brand brand);

  std::vector<Brand> brands_;
  std::size_t size_ = 0;
  std::size_t name_bytes_ = 0;  // of every brand's names, which a search reads
};

// The full models lists of the brands (the brand box's entries), as the window lists them,
// priced in one pass over the price lists.
ModelSearch BuildModelSearch(const Folders& folders, CatalogueData& data,
                             const common::LineTable& model_index,
                             const common::StringList& brands);

}  // namespace trubkom::catalogue
