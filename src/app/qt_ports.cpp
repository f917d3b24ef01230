#include "app/qt_ports.h"

#include <QDesktopServices>
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

void QtShell::Open(const std::string& target) {
  QString text = ToQt(target).trimmed();
  QUrl url = QUrl(text, QUrl::TolerantMode);
  // A plain path (absolute, or with a drive-less backslash) names a local file.
  if (url.scheme().size() <= 1) url = QUrl::fromLocalFile(text);
  QDesktopServices::openUrl(url);
}

}  // namespace trubkom::app
