#include "app/qt_ports.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "app/text.h"

namespace trubkom::app {

namespace {

const QString kCaption = QStringLiteral("Trubkom");

}  // namespace

void QtMessages::Inform(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, kCaption, ToQt(text), QMessageBox::Ok, owner_);
  box.raise();
  box.activateWindow();
  box.exec();
}

bool QtMessages::Confirm(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, kCaption, ToQt(text), QMessageBox::Ok | QMessageBox::Cancel,
                  owner_);
  box.raise();
  box.activateWindow();
  return box.exec() == QMessageBox::Ok;
}

std::string QtFolderChooser::ChooseFolder(const std::string& start) {
  QString chosen = QFileDialog::getExistingDirectory(
      owner_, QString(), QFile::decodeName(QByteArray::fromStdString(start)),
      QFileDialog::ShowDirsOnly);
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
  messages_.Inform(FromQt(QString::fromUtf8("Не удалось открыть адрес\n%1\nНа компьютере нет "
                                            "программы, которая может его открыть.")
                              .arg(shown)));
}

}  // namespace trubkom::app
