#pragma once

#include <QUrl>
#include <QWidget>
#include <functional>
#include <utility>

#include "common/ports.h"

namespace trubkom::app {

// Message boxes owned by the main window, captioned "Trubkom", with the icon of what they say:
// information, a warning, or a question. However short the text, a box is wide enough for the
// title bar to show its caption whole.
class QtMessages : public common::Messages {
 public:
  explicit QtMessages(QWidget* owner = nullptr) : owner_(owner) {}
  void set_owner(QWidget* owner) { owner_ = owner; }
  void Inform(const std::string& text) override;
  void Warn(const std::string& text) override;
  bool Confirm(const std::string& text) override;

 private:
  QWidget* owner_;
};

// The desktop's folder dialog, owned by a window, with the title given (the dialog's own when
// empty); a folder is chosen, and the files in it are shown when asked for, so that a folder of
// update packages does not look empty.
class QtFolderChooser : public common::FolderChooser {
 public:
  explicit QtFolderChooser(QWidget* owner = nullptr, QString title = QString(),
                           bool show_files = false)
      : owner_(owner), title_(std::move(title)), show_files_(show_files) {}
  std::string ChooseFolder(const std::string& start) override;

 private:
  QWidget* owner_;
  QString title_;
  bool show_files_;
};

// The desktop's handler for addresses and files. When the desktop has no program for one (no
// web browser, no mail program), a message box says so and names the address.
class QtShell : public common::Shell {
 public:
  using Opener = std::function<bool(const QUrl&)>;
  // The opener is the desktop's unless a test gives its own.
  explicit QtShell(common::Messages& messages, Opener opener = {});

  void Open(const std::string& target) override;
  void OpenUrl(const QUrl& url);

 private:
  common::Messages& messages_;
  Opener opener_;
};

}  // namespace trubkom::app
