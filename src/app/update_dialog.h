#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "common/ports.h"
#include "update/package_keys.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;

namespace trubkom::app {

// What the dialog's runs work with. The desktop's ports are used on the user-interface thread;
// when left null the dialog uses message boxes and a folder dialog of its own.
struct UpdateDialogSetup {
  std::string working_folder;
  std::string server_base;  // the update server's address, ending in "/"
  common::Shell* shell = nullptr;
  common::Messages* messages = nullptr;
  common::FolderChooser* folders = nullptr;
  update::OpeningKeys keys = update::BuiltinOpeningKeys();
  // Where the local folder's chooser first opens, when not in the working folder: the demo
  // packages that come with a demo build.
  std::string first_local_folder = std::string();
};

// "Автоматическое обновление базы данных": the options of an update run, "Обновить!" (also
// Enter), "Закрыть", and the status list with a progress bar for the download under way. A run
// goes on a worker thread so the window never freezes; "Обновить!" is disabled while it lasts.
// Closing during a run cancels it: the download stops (a package keeps its part to resume), a
// package whose scripts have started runs to its end, and the dialog closes when the run has ended.
// The dialog keeps its options from one showing to the next; its status list, shown again, says
// when the catalogue was last updated, as at the first showing. A package's messages are noted in
// the status list too, so that the list tells what each package said.
class UpdateDialog : public QDialog {
  Q_OBJECT
 public:
  UpdateDialog(UpdateDialogSetup setup, QWidget* parent = nullptr);
  ~UpdateDialog() override;

  bool running() const { return worker_.joinable(); }

  // The options the user set, kept from one run of the program to the next.
  struct Remembered {
    bool use_proxy = false;
    QString proxy;         // empty: the dialog's own
    QString local_folder;  // the folder of the last local update; empty: none yet
  };
  Remembered remembered() const;
  void Restore(const Remembered& remembered);

 signals:
  void runFinished();

 public slots:
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildBottomPanel();
  QWidget* BuildClientPanel();
  void StartRun();
  void FinishRun();
  void ShowProgress();
  void AppendStatus(const QString& line);
  // The folder of local packages; the dialog opens at the folder chosen last time.
  std::string ChooseLocalFolder(const std::string& start);
  // "Последнее обновление от ..." or "Обновлений не проводилось", alone in the status list.
  void ShowLastUpdate();

  class WorkerPorts;

  UpdateDialogSetup setup_;
  std::unique_ptr<common::Messages> own_messages_;
  std::unique_ptr<common::FolderChooser> own_folders_;
  std::unique_ptr<common::Shell> own_shell_;
  QCheckBox* proxy_box_ = nullptr;
  QCheckBox* local_box_ = nullptr;
  QLineEdit* proxy_edit_ = nullptr;
  QPushButton* update_button_ = nullptr;
  QPushButton* close_button_ = nullptr;
  QListWidget* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QTimer* progress_timer_ = nullptr;
  QString local_folder_;

  std::thread worker_;
  std::unique_ptr<WorkerPorts> worker_ports_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::atomic<std::uint64_t> received_{0};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<int> package_number_{0};  // the package under way, from 1
  std::atomic<int> package_count_{0};   // of how many; 0 before the first
  bool close_when_done_ = false;
};

}  // namespace trubkom::app
