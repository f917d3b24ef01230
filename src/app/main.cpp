// Trubkom: a desktop catalogue of mobile phones.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QSettings>

#include "app/first_page_report.h"
#include "app/main_window.h"
#include "app/qt_ports.h"
#include "app/start_folder.h"
#include "app/start_questions.h"
#include "app/web_browser.h"
#include "common/clock_random.h"
#include "common/warnings.h"
#include "update/update_server.h"

namespace {

// Unreadable catalogue files are logged, each once; the window goes on as if they were missing.
class LoggedWarnings : public trubkom::common::WarningSink {
 public:
  void Warn(const std::string& text) override { qWarning("%s", text.c_str()); }
};

}  // namespace

int main(int argc, char** argv) {
  // The browser engine refuses to start as root with its sandbox on.
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  // The browser engine's start-up report (graphics set-up, its switches) and its internal
  // errors (a virtual display without GPU) are for its own developers; the program's warnings
  // still reach the terminal.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  trubkom::app::SetBrowserEngineSwitches();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Trubkom"));

  LoggedWarnings warnings;
  trubkom::common::SetWarningSink(&warnings);
  trubkom::app::QtMessages messages;
  trubkom::app::QtFolderChooser folder_chooser;
  trubkom::app::QtStartQuestions questions;
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("trubkom"),
                     QStringLiteral("trubkom"));
  std::string working =
      trubkom::app::ChooseStartFolder({QFile::encodeName(QDir::currentPath()).toStdString(),
                                       TRUBKOM_DEMO_CATALOGUE, trubkom::app::OwnCatalogueFolder()},
                                      settings, {questions, messages, folder_chooser});
  if (working.empty()) return 0;
  QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(working)));
  trubkom::catalogue::Folders folders{
      working, QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()};
  trubkom::app::QtShell shell(messages);
  trubkom::common::ClockRandom random;
  auto* browser =
      new trubkom::app::WebBrowser(folders, [&shell](const QUrl& url) { shell.OpenUrl(url); });
  trubkom::app::MainWindowPorts ports;
  ports.browser_widget = browser;
  ports.browser = browser;
  ports.messages = &messages;
  ports.shell = &shell;
  ports.random = &random;
  ports.update_server = trubkom::update::UpdateServerBase();
  trubkom::app::ReportFirstPageWhenAsked(browser);
  trubkom::app::MainWindow window(folders, ports);
  messages.set_owner(&window);
  window.show();
  return QApplication::exec();
}
