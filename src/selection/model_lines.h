#pragma once

#include <cstddef>
#include <string>

#include "common/line_table.h"
#include "selection/indexed_lines.h"

// The index's lines as the catalogue's pages read them: every line's brand and model fields to
// find a model by, and the whole text of the line found. Over lines held whole (the tool, tests)
// or over the window's index of heads, which reads a line again from its file.
namespace trubkom::selection {

class ModelLines {
 public:
  ModelLines(const common::LineTable& lines)
      : lines_(&lines) {}                // NOLINT(google-explicit-constructor)
  ModelLines(const IndexedLines& index)  // NOLINT(google-explicit-constructor)
      : lines_(&index.lines()), index_(&index) {}

  // Whole lines, or each cut after its model field (IndexHead).
  const common::LineTable& lines() const { return *lines_; }
  common::Result<std::string> WholeLine(std::size_t line) const {
    return index_ != nullptr ? index_->WholeLine(line) : std::string((*lines_)[line]);
  }

 private:
  const common::LineTable* lines_;
  const IndexedLines* index_ = nullptr;
};

}  // namespace trubkom::selection
