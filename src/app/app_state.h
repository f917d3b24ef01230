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

// The process-wide state of the main window: created at start, lost at exit, never saved.
struct AppState {
  explicit AppState(catalogue::Folders folders_in)
      : folders(std::move(folders_in)), data(folders.working) {}

  // Replaces the model index and reads its entries for the wizard.
  void SetModelIndex(common::StringList lines) {
    model_index = std::move(lines);
    indexed_lines = std::make_unique<selection::IndexedLines>(model_index);
  }

  catalogue::Folders folders;
  catalogue::CatalogueData data;
  std::string current_brand;  // as the brand box shows it
  common::StringList model_index;
  std::unique_ptr<selection::IndexedLines> indexed_lines =
      std::make_unique<selection::IndexedLines>(model_index);
  catalogue::Advertising advertising;
  int wizard_page = 0;
  common::StringList new_model_files;  // newest first
  int new_model_file_index = 0;
  selection::WizardAnswers wizard;
};

}  // namespace trubkom::app
