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
      : folders(std::move(folders_in)),
        data(std::make_unique<catalogue::CatalogueData>(folders.working)) {}

  // Each index line's brand and model fields, which is all the lists read of it.
  const common::LineTable& model_index() const { return index->lines(); }
  const selection::IndexedLines& indexed_lines() const { return *index; }

  catalogue::Folders folders;
  std::unique_ptr<catalogue::CatalogueData> data;
  // Held by pointer: a load off the window's thread reads the one it replaces.
  std::unique_ptr<selection::IndexedLines> index = std::make_unique<selection::IndexedLines>();
  catalogue::Advertising advertising;
  // The model whose page the browser area shows, as it was asked for (the brand as the list or
  // entry named it, the model as listed); an empty brand while the area shows another page.
  common::BrandAndModel model_on_show;
};

}  // namespace trubkom::app
