#pragma once

#include <QWidget>

#include "common/ports.h"

namespace trubkom::app {

// Message boxes owned by the main window, captioned "Trubkom".
class QtMessages : public common::Messages {
 public:
  explicit QtMessages(QWidget* owner = nullptr) : owner_(owner) {}
  void set_owner(QWidget* owner) { owner_ = owner; }
  void Inform(const std::string& text) override;
  bool Confirm(const std::string& text) override;

 private:
  QWidget* owner_;
};

// The desktop's handler for addresses and files.
class QtShell : public common::Shell {
 public:
  void Open(const std::string& target) override;
};

}  // namespace trubkom::app
