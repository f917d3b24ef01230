#pragma once

#include "catalogue/advertising.h"
#include "catalogue/catalogue_data.h"
#include "catalogue/folders.h"
#include "common/line_table.h"
#include "common/ports.h"
#include "common/string_ops.h"
#include "selection/model_lines.h"
#include "selection/property_vocabulary.h"

namespace trubkom::catalogue {

// What the page builders read and advance: the catalogue, the advertising and the ports.
struct PageContext {
  const Folders& folders;
  CatalogueData& data;
  selection::ModelLines model_index;
  const selection::PropertyVocabulary& vocabulary;
  Advertising& advertising;
  common::Browser& browser;
  common::Random& random;
};

}  // namespace trubkom::catalogue
