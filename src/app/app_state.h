#pragma once

#include <memory>
#include <string>

#include "catalogue/advertising.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "common/string_ops.h"
#include "selection/criteria.h"
#include "selection/wizard.h"

namespace trubkom::app {

// A model index with its entries read for the wizard. The entries refer to the lines, so the
// two live together at one address.
struct LoadedIndex {
  explicit LoadedIndex(common::StringList lines_in = {})
      : lines(std::move(lines_in)), indexed(lines) {}
  LoadedIndex(const LoadedIndex&) = delete;
  LoadedIndex& operator=(const LoadedIndex&) = delete;

  common::StringList lines;
  selection::IndexedLines indexed;
};

// The process-wide state of the main window: created at start, lost at exit, never saved.
struct AppState {
  explicit AppState(catalogue::Folders folders_in)
      : folders(std::move(folders_in)),
        data(std::make_unique<catalogue::CatalogueData>(folders.working)) {}

  const common::StringList& model_index() const { return index->lines; }
  const selection::IndexedLines& indexed_lines() const { return index->indexed; }

  catalogue::Folders folders;
  std::unique_ptr<catalogue::CatalogueData> data;
  std::string current_brand;  // as the brand box shows it
  std::unique_ptr<LoadedIndex> index = std::make_unique<LoadedIndex>();
  catalogue::Advertising advertising;
  int wizard_page = 0;
  selection::WizardAnswers wizard;
  common::StringList new_model_files;  // newest first
  int new_model_file_index = 0;
};

}  // namespace trubkom::app
