#include "app/update_dialog.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt_ports.h"
#include "app/text.h"
#include "catalogue/price_history.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "update/package_keys.h"
#include "update/update_run.h"

namespace trubkom::app {

using namespace common::literals;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

const QColor kFormColour(228, 237, 250);
constexpr int kBottomPanelHeight = 51;

// The proxy on this computer that a user is most likely to have.
constexpr char kDefaultProxy[] = "127.0.0.1:8080";

// The status list seen from the user-interface thread.
class ListSink : public common::StatusSink {
 public:
  explicit ListSink(QListWidget* list) : list_(list) {}
  void Append(const std::string& line) override { list_->addItem(ToQt(line)); }
  void Clear() override { list_->clear(); }

 private:
  QListWidget* list_;
};

}  // namespace

// The run's ports, called on the worker thread. Status lines are queued to the dialog; message
// boxes, the folder dialog and the desktop's handler run on the user-interface thread while the
// worker waits for their answer.
class UpdateDialog::WorkerPorts : public common::StatusSink,
                                  public common::Messages,
                                  public common::Shell,
                                  public common::FolderChooser {
 public:
  explicit WorkerPorts(UpdateDialog* dialog) : dialog_(dialog) {}

  void Append(const std::string& line) override {
    QString text = ToQt(line);
    QMetaObject::invokeMethod(
        dialog_, [this, text] { dialog_->AppendStatus(text); }, Qt::QueuedConnection);
  }
  void Clear() override {
    QMetaObject::invokeMethod(
        dialog_, [this] { dialog_->status_->clear(); }, Qt::QueuedConnection);
  }
  void Inform(const std::string& text) override {
    Append(text);
    OnWindowThread([&] { dialog_->setup_.messages->Inform(text); });
  }
  bool Confirm(const std::string& text) override {
    bool answer = false;
    OnWindowThread([&] { answer = dialog_->setup_.messages->Confirm(text); });
    return answer;
  }
  void Open(const std::string& target) override {
    OnWindowThread([&] { dialog_->setup_.shell->Open(target); });
  }
  std::string ChooseFolder(const std::string& start) override {
    std::string chosen;
    OnWindowThread([&] { chosen = dialog_->ChooseLocalFolder(start); });
    return chosen;
  }

 private:
  template <typename Work>
  void OnWindowThread(Work work) {
    QMetaObject::invokeMethod(dialog_, work, Qt::BlockingQueuedConnection);
  }

  UpdateDialog* dialog_;
};

UpdateDialog::UpdateDialog(UpdateDialogSetup setup, QWidget* parent)
    : QDialog(parent),
      setup_(std::move(setup)),
      worker_ports_(std::make_unique<WorkerPorts>(this)) {
  if (!setup_.messages) {
    own_messages_ = std::make_unique<QtMessages>(this);
    setup_.messages = own_messages_.get();
  }
  if (!setup_.folders) {
    own_folders_ = std::make_unique<QtFolderChooser>(this, U("Папка с пакетами обновлений"), true);
    setup_.folders = own_folders_.get();
  }
  if (!setup_.shell) {
    own_shell_ = std::make_unique<QtShell>(*setup_.messages);
    setup_.shell = own_shell_.get();
  }
  setWindowTitle(U("Автоматическое обновление базы данных"));
  setModal(true);
  QFont form_font = font();
  form_font.setPixelSize(11);
  setFont(form_font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kFormColour);
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  setAutoFillBackground(true);
  resize(633, 423);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  QWidget* bottom = BuildBottomPanel();
  layout->addWidget(BuildClientPanel(), 1);
  layout->addWidget(bottom);

  progress_timer_ = new QTimer(this);
  progress_timer_->setInterval(100);
  connect(progress_timer_, &QTimer::timeout, this, &UpdateDialog::ShowProgress);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  ShowLastUpdate();
}

void UpdateDialog::ShowLastUpdate() {
  ListSink last_update(status_);
  last_update.Clear();
  update::ShowLastUpdate(setup_.working_folder, last_update);
}

void UpdateDialog::showEvent(QShowEvent* event) {
  // A run's lines belong to that run; a run still going (the dialog hidden by the desktop and
  // shown again) keeps them.
  if (!event->spontaneous() && !running()) ShowLastUpdate();
  QDialog::showEvent(event);
}

UpdateDialog::~UpdateDialog() {
  if (!running()) return;
  cancel_ = true;
  // The worker may be waiting for a message box of this thread: keep answering until it ends.
  while (!finished_) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  worker_.join();
}

QWidget* UpdateDialog::BuildBottomPanel() {
  auto* panel = new QWidget(this);
  panel->setFixedHeight(kBottomPanelHeight);
  close_button_ = new QPushButton(U("Закрыть"), panel);
  close_button_->setObjectName(U("close"));
  close_button_->setGeometry(548, 16, 81, 25);
  close_button_->setAutoDefault(false);
  connect(close_button_, &QPushButton::clicked, this, &QDialog::close);
  update_button_ = new QPushButton(U("Обновить!"), panel);
  update_button_->setObjectName(U("update"));
  update_button_->setGeometry(456, 16, 81, 25);
  update_button_->setDefault(true);
  connect(update_button_, &QPushButton::clicked, this, &UpdateDialog::StartRun);

  proxy_box_ = new QCheckBox(U("Использовать прокси"), panel);
  proxy_box_->setObjectName(U("useProxy"));
  proxy_box_->setAccessibleDescription(U("Скачивать пакеты через HTTP-прокси"));
  proxy_box_->move(0, 30);
  proxy_box_->adjustSize();
  local_box_ = new QCheckBox(U("Обновить из локальной папки"), panel);
  local_box_->setObjectName(U("localFolder"));
  local_box_->setAccessibleDescription(
      U("Установить пакеты из выбранной папки, а не с сервера обновлений"));
  local_box_->move(0, 6);
  local_box_->adjustSize();
  proxy_edit_ = new QLineEdit(QString::fromLatin1(kDefaultProxy), panel);
  proxy_edit_->setObjectName(U("proxy"));
  proxy_edit_->setAccessibleName(U("Адрес прокси-сервера"));
  proxy_edit_->setAccessibleDescription(U("Хост и порт HTTP-прокси, например 127.0.0.1:8080"));
  proxy_edit_->setGeometry(144, 28, 117, proxy_edit_->sizeHint().height());
  proxy_edit_->hide();
  connect(proxy_box_, &QCheckBox::toggled, proxy_edit_, &QWidget::setVisible);
  connect(local_box_, &QCheckBox::toggled, this, [this](bool local) {
    proxy_box_->setEnabled(!local);
    proxy_edit_->setEnabled(!local);
  });
  return panel;
}

QWidget* UpdateDialog::BuildClientPanel() {
  auto* panel = new QWidget(this);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  if (update::BuiltWithDemoKeys()) {
    // The demo keys' secret half is public: whoever reads it can make packages this build takes.
    auto* warning = new QLabel(U("Эта сборка доверяет демонстрационным ключам: она установит "
                                 "пакет, подписанный кем угодно. Только для демонстрации."),
                               panel);
    warning->setObjectName(U("demoKeys"));
    warning->setWordWrap(true);
    warning->setStyleSheet(U("background: #fff3c4; padding: 3px;"));
    layout->addWidget(warning);
  }
  status_ = new QListWidget(panel);
  status_->setObjectName(U("status"));
  status_->setAccessibleName(U("Ход обновления"));
  status_->setSelectionMode(QAbstractItemView::NoSelection);
  status_->setFocusPolicy(Qt::NoFocus);
  status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(status_, 1);
  progress_ = new QProgressBar(panel);
  progress_->setObjectName(U("progress"));
  progress_->setAccessibleName(U("Загрузка пакета"));
  progress_->setFixedHeight(progress_->fontMetrics().height() + 4);  // room for "Пакет 2 из 3"
  progress_->setTextVisible(false);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  layout->addWidget(progress_);
  return panel;
}

UpdateDialog::Remembered UpdateDialog::remembered() const {
  return {proxy_box_->isChecked(), proxy_edit_->text(), local_folder_};
}

void UpdateDialog::Restore(const Remembered& remembered) {
  proxy_box_->setChecked(remembered.use_proxy);
  if (!remembered.proxy.isEmpty()) proxy_edit_->setText(remembered.proxy);
  local_folder_ = remembered.local_folder;
}

std::string UpdateDialog::ChooseLocalFolder(const std::string& start) {
  std::string first = setup_.first_local_folder.empty() ? start : setup_.first_local_folder;
  std::string chosen = setup_.folders->ChooseFolder(
      local_folder_.isEmpty() ? first : QFile::encodeName(local_folder_).toStdString());
  if (!chosen.empty()) local_folder_ = QFile::decodeName(QByteArray::fromStdString(chosen));
  return chosen;
}

void UpdateDialog::AppendStatus(const QString& line) {
  status_->addItem(line);
  status_->scrollToBottom();
}

void UpdateDialog::StartRun() {
  if (running()) return;
  update_button_->setEnabled(false);
  cancel_ = false;
  finished_ = false;
  received_ = 0;
  total_ = 0;
  package_number_ = 0;
  package_count_ = 0;
  update::UpdateOptions options{local_box_->isChecked(), proxy_box_->isChecked(),
                                FromQt(proxy_edit_->text()), setup_.server_base};
  progress_timer_->start();
  worker_ = std::thread([this, options] {
    WorkerPorts& ports = *worker_ports_;
    catalogue::PriceHistoryRecorder price_history(setup_.working_folder);
    update::RunUpdate(
        setup_.working_folder, options,
        {ports, ports, ports, ports, &cancel_,
         [this](std::uint64_t received, std::uint64_t total) {
           received_ = received;
           total_ = total;
         },
         // Each package's lines under a header of its own, so that its messages
         // read as its own; the bar says which package of how many.
         [this, &ports](bool downloading, const std::string& date_code, int number, int count) {
           package_number_ = number;
           package_count_ = count;
           if (!downloading) {
             ports.Append(std::string("Апдейт от "_cp1251) + common::DisplayDate(date_code));
           }
         },
         &price_history},
        setup_.keys);
    finished_ = true;
    QMetaObject::invokeMethod(this, &UpdateDialog::FinishRun, Qt::QueuedConnection);
  });
}

void UpdateDialog::FinishRun() {
  if (!running() || !finished_) return;
  worker_.join();
  progress_timer_->stop();
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  update_button_->setEnabled(true);
  close_button_->setEnabled(true);
  emit runFinished();
  if (close_when_done_) {
    close_when_done_ = false;
    done(-1);
  }
}

void UpdateDialog::ShowProgress() {
  std::uint64_t total = total_;
  std::uint64_t received = received_;
  const int number = package_number_, count = package_count_;
  progress_->setTextVisible(count > 0);
  if (count > 0) {
    progress_->setFormat(U("Пакет %1 из %2").arg(number).arg(count));
  }
  if (total == 0) {
    progress_->setRange(0, received == 0 ? 1 : 0);  // an unknown size: a busy bar
    return;
  }
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(std::min<std::uint64_t>(received, total) * 1000 / total));
}

void UpdateDialog::reject() {
  if (running()) {
    cancel_ = true;
    close_when_done_ = true;
    close_button_->setEnabled(false);
    return;
  }
  done(-1);
}

}  // namespace trubkom::app
