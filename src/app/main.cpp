// Trubkom: a desktop catalogue of mobile phones.
#include <unistd.h>

#include <QApplication>
#include <QDir>

#include "app/main_window.h"
#include "app/qt_ports.h"
#include "app/web_browser.h"
#include "common/clock_random.h"

int main(int argc, char** argv) {
  // The browser engine refuses to start as root with its sandbox on.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Trubkom"));

  trubkom::catalogue::Folders folders{QDir::currentPath().toStdString(),
                                      QCoreApplication::applicationDirPath().toStdString()};
  trubkom::app::QtMessages messages;
  trubkom::app::QtShell shell;
  trubkom::common::ClockRandom random;
  auto* browser = new trubkom::app::WebBrowser;
  trubkom::app::MainWindow window(folders, {browser, browser, &messages, &shell, &random});
  messages.set_owner(&window);
  window.show();
  return QApplication::exec();
}
