#pragma once

#include "app/start_folder.h"

namespace trubkom::app {

// The start's questions as message boxes, asked before the window is shown.
class QtStartQuestions : public StartQuestions {
 public:
  NoCatalogueAnswer AskNoCatalogue(const std::string& text) override;
  bool AskToCopy(const std::string& text) override;
};

}  // namespace trubkom::app
