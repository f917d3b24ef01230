#pragma once

#include <memory>
#include <vector>

#include "app/app_state.h"
#include "catalogue/model_list.h"
#include "catalogue/model_search.h"
#include "common/result.h"

namespace trubkom::app {

// Everything the window shows of a catalogue when it starts or after an update, read in one go
// off the window's thread, so the window can show first and fill in when the data is ready.
struct LoadedCatalogue {
  std::unique_ptr<catalogue::CatalogueData> data;
  std::unique_ptr<selection::IndexedLines> index;  // null when Base/base.tkm cannot be read
  bool index_answers_wizard = true;                // it holds the entries of every page's criteria
  common::StringList brands;                       // the brand box's entries, in order
  std::string first_models_brand;                  // the entry whose models list was read:
  std::vector<catalogue::ModelRow> first_models;   // the one the window will show
  bool first_models_full_only = false;
  catalogue::Advertising advertising;
  bool config_found = false;
  common::StringList new_model_files;  // newest first
};

// Reads the catalogue. kept_index is the index to go on with when base.tkm cannot be read;
// full_only is the state of "Только с полным описанием"; the models list read is shown_brand's
// (the entry written so, else the one that differs in ASCII letter case alone), else that of the
// first entry. The index keeps the entries the wizard's criteria read; given first_page_only,
// those of its first page alone, which are read in a third of the time (ReadWizardIndex reads
// the rest after). Touches nothing of the window, so it may run on any thread while the window
// goes on with what it has.
// Each of these fails, with kTooLarge, when a table of the catalogue outgrows its cap or the
// memory there is: the window says so and goes on with what it has.
common::Result<LoadedCatalogue> LoadCatalogue(const catalogue::Folders& folders,
                                              const common::LineTable& kept_index, bool full_only,
                                              const std::string& shown_brand = {},
                                              bool first_page_only = false);

// The index with the entries of every page of the wizard; null when base.tkm cannot be read.
common::Result<std::unique_ptr<selection::IndexedLines>> ReadWizardIndex(
    const catalogue::Folders& folders);

// The search across the brands' models, which reads every brand's models list: made after the
// lists are shown, with brand files read on its own, so it may run while the window works, on a
// thread of the least priority.
common::Result<catalogue::ModelSearch> LoadSearch(const catalogue::Folders& folders,
                                                  const common::LineTable& index,
                                                  const common::StringList& brands);

}  // namespace trubkom::app
