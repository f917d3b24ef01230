#include "app/qt_ports.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QUrl>

#include "app/text.h"

namespace trubkom::app {

namespace {

const QString kCaption = QString::fromUtf8("Трубком");

// Room in a title bar for the window manager's icon and buttons beside the caption.
constexpr int kTitleBarButtons = 160;

int ShowBox(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons,
            QWidget* owner) {
  QMessageBox box(icon, kCaption, ToQt(text), buttons, owner);
  // The text is the catalogue's (file names, an update's messages): shown as it stands, never as
  // rich text, in which a name could make a link or a picture.
  box.setTextFormat(Qt::PlainText);
  // The box sizes itself to its text; a spacer across its grid keeps the caption in sight.
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    int width = box.fontMetrics().horizontalAdvance(kCaption) + kTitleBarButtons;
    grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.raise();
  box.activateWindow();
  return box.exec();
}

}  // namespace

void QtMessages::Inform(const std::string& text) {
  ShowBox(QMessageBox::Information, text, QMessageBox::Ok, owner_);
}

void QtMessages::Warn(const std::string& text) {
  ShowBox(QMessageBox::Warning, text, QMessageBox::Ok, owner_);
}

bool QtMessages::Confirm(const std::string& text) {
  return ShowBox(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, owner_) ==
         QMessageBox::Ok;
}

std::string QtFolderChooser::ChooseFolder(const std::string& start) {
  QString chosen = QFileDialog::getExistingDirectory(
      owner_, title_, QFile::decodeName(QByteArray::fromStdString(start)),
      show_files_ ? QFileDialog::Options() : QFileDialog::ShowDirsOnly);
  return QFile::encodeName(chosen).toStdString();
}

QtShell::QtShell(common::Messages& messages, Opener opener)
    : messages_(messages), opener_(std::move(opener)) {
  if (!opener_) opener_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

void QtShell::Open(const std::string& target) {
  QString text = ToQt(target).trimmed();
  QUrl url = QUrl(text, QUrl::TolerantMode);
  // A plain path names a local file.
  if (url.scheme().size() <= 1) url = QUrl::fromLocalFile(text);
  OpenUrl(url);
}

void QtShell::OpenUrl(const QUrl& url) {
  if (opener_(url)) return;
  QString shown = url.isLocalFile() ? url.toLocalFile() : url.toDisplayString();
  messages_.Warn(FromQt(QString::fromUtf8("Не удалось открыть адрес\n%1\nНа компьютере нет "
                                          "программы, которая может его открыть.")
                            .arg(shown)));
}

}  // namespace trubkom::app
