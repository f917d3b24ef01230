// Trubkom: a desktop catalogue of mobile phones.

#include <QApplication>
#include <QCommandLineParser>
#include <QCryptographicHash>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <optional>
#include <string>
#include <string_view>

#include "app/first_page_report.h"
#include "app/main_window.h"
#include "app/qt_ports.h"
#include "app/qt_translations.h"
#include "app/remembered_state.h"
#include "app/start_folder.h"
#include "app/start_questions.h"
#include "app/web_browser.h"
#include "catalogue/folders.h"
#include "catalogue/private_pages.h"
#include "common/clock_random.h"
#include "common/encoding.h"
#include "common/version.h"
#include "common/warnings.h"
#include "update/update_server.h"

namespace {

// Warnings are logged, each once. A catalogue file that could not be read at all is said in a
// message box too, since the window then shows less than the catalogue holds; the box shows on
// the window's thread, whichever thread read the file. The window goes on without the file.
class WindowWarnings : public trubkom::common::WarningSink {
 public:
  explicit WindowWarnings(trubkom::common::Messages& messages) : messages_(messages) {}
  void Warn(const std::string& text) override { qWarning("%s", text.c_str()); }
  void FileUnreadable(const std::string& text, const std::string& message) override {
    Warn(text);
    QMetaObject::invokeMethod(
        qApp,
        [this, message] {
          messages_.Warn(message +
                         trubkom::common::Cp1251FromUtf8(". Программа работает без этого файла."));
        },
        Qt::QueuedConnection);
  }

 private:
  trubkom::common::Messages& messages_;
};

// A path of the file system's bytes.
std::string PathOf(const QString& path) { return QFile::encodeName(path).toStdString(); }

// The catalogue folder named by the argument, or else by TRUBKOM_CATALOGUE, made absolute;
// empty when none is named.
std::string NamedFolder(const QCommandLineParser& arguments) {
  QString named = arguments.positionalArguments().value(0);
  if (named.isEmpty()) named = qEnvironmentVariable("TRUBKOM_CATALOGUE");
  if (named.isEmpty()) return {};
  return PathOf(QDir::cleanPath(QDir::current().absoluteFilePath(named)));
}

// What the program is called and its version, for the desktop and for --version.
void NameTheProgram() {
  QCoreApplication::setApplicationName(QStringLiteral("Trubkom"));
  QCoreApplication::setApplicationVersion(QString::fromLatin1(trubkom::kVersion));
}

void DescribeArguments(QCommandLineParser& arguments) {
  arguments.setApplicationDescription(QString::fromUtf8("Трубком: каталог мобильных телефонов."));
  arguments.addHelpOption();
  arguments.addVersionOption();
  arguments.addPositionalArgument(
      QString::fromUtf8("каталог"),
      QString::fromUtf8("Папка каталога; без неё — TRUBKOM_CATALOGUE, текущая папка, если в ней "
                        "каталог, выбранная раньше или своя копия демонстрационного каталога."),
      QString::fromUtf8("[каталог]"));
}

// --help and --version are answered on the terminal, with a display or without one (over ssh, in
// a script): the window's application object, which needs a display, is not made for them.
bool AsksOnlyForText(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    for (const char* asked : {"--help", "-h", "-?", "--help-all", "--version", "-v"}) {
      if (argument == asked) return true;
    }
  }
  return false;
}

// The main window on the catalogue of working until it is closed, its state then remembered;
// the catalogue "Открыть каталог…" chose when that closed it.
std::optional<std::string> RunCatalogueWindow(const std::string& working,
                                              const std::string& program, QSettings& settings,
                                              trubkom::app::QtMessages& messages) {
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  // One window a catalogue: two would write the same pages and each keep a basket of its own,
  // the last one closed losing the other's. A lock left by a crash is taken over.
  QDir().mkpath(cache + QStringLiteral("/trubkom"));
  QLockFile open_catalogue(
      cache + QStringLiteral("/trubkom/open-") +
      QString::fromLatin1(
          QCryptographicHash::hash(QByteArray::fromStdString(working), QCryptographicHash::Sha1)
              .toHex()
              .left(16)) +
      QStringLiteral(".lock"));
  if (!open_catalogue.tryLock(0) && open_catalogue.error() == QLockFile::LockFailedError) {
    messages.Inform(trubkom::common::Cp1251FromUtf8(
        "Каталог «" + working + "» уже открыт в другом окне Трубкома. Перейдите в то окно."));
    return std::nullopt;
  }
  QDir::setCurrent(QFile::decodeName(QByteArray::fromStdString(working)));
  trubkom::catalogue::Folders folders{working, program};
  // A catalogue the user cannot write still shows its pages, written to a folder of the user's.
  if (!trubkom::catalogue::CheckCatalogueWritable(working)) {
    trubkom::common::Result<std::string> pages = trubkom::catalogue::PrivatePagesFolder(
        working, PathOf(cache + QStringLiteral("/trubkom/pages")));
    if (pages) {
      folders.pages = *pages;
    } else {
      messages.Warn(pages.error().message);
    }
  }
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
  trubkom::app::MainWindow window(folders, ports);
  if (auto lists_filled = trubkom::app::ReportStartUpWhenAsked(browser, true)) {
    QObject::connect(&window, &trubkom::app::MainWindow::listsShown, &window, lists_filled,
                     Qt::SingleShotConnection);
  }
  messages.set_owner(&window);
  const QString catalogue_key = QFile::decodeName(QByteArray::fromStdString(working));
  trubkom::app::RememberedState remembered =
      trubkom::app::ReadRememberedState(settings, catalogue_key);
  window.Restore(remembered);
  if (remembered.maximized) {
    window.showMaximized();
  } else {
    window.show();
  }
  // Until the window closes, or the program is told to quit (which ends every loop).
  QEventLoop until_closed;
  QObject::connect(&window, &trubkom::app::MainWindow::closed, &until_closed, &QEventLoop::quit);
  until_closed.exec();
  trubkom::app::WriteRememberedState(settings, window.Remembered(), catalogue_key);
  messages.set_owner(nullptr);
  return window.isVisible() ? std::nullopt : window.next_catalogue();
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksOnlyForText(argc, argv)) {
    QCoreApplication text_only(argc, argv);
    NameTheProgram();
    QCommandLineParser arguments;
    DescribeArguments(arguments);
    arguments.process(text_only);  // prints and ends the process
    return 0;
  }
  // The browser engine's start-up report (graphics set-up, its switches) and its internal
  // errors (a virtual display without GPU) are for its own developers; the program's warnings
  // still reach the terminal.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  trubkom::app::SetBrowserEngineSwitches();
  QApplication application(argc, argv);
  NameTheProgram();
  // The name of the desktop entry, by which the desktop finds the window's entry and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("ru.trubkom.Trubkom"));
  // The window speaks Russian whatever the system's language, and so do Qt's own dialogs in it
  // (the folder dialog, the buttons of message boxes).
  trubkom::app::InstallQtTranslations(QLocale(QLocale::Russian, QLocale::Russia));

  QCommandLineParser arguments;
  DescribeArguments(arguments);
  arguments.process(application);

  trubkom::app::QtMessages messages;
  WindowWarnings warnings(messages);
  trubkom::common::SetWarningSink(&warnings);
  trubkom::app::QtFolderChooser folder_chooser(nullptr, QString::fromUtf8("Папка каталога"));
  trubkom::app::QtStartQuestions questions;
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("trubkom"),
                     QStringLiteral("trubkom"));
  // An installed program has its own files in share/trubkom, one run where it was built beside it.
  std::string program =
      trubkom::catalogue::ProgramFolder(PathOf(QCoreApplication::applicationDirPath()));
  std::string working = trubkom::app::ChooseStartFolder(
      {PathOf(QDir::currentPath()), trubkom::catalogue::DemoCatalogueFolder(program),
       trubkom::app::OwnCatalogueFolder(), NamedFolder(arguments)},
      settings, {questions, messages, folder_chooser});
  // "Открыть каталог…" closes the window for another catalogue, which the same run opens next,
  // asked about as a catalogue named at the start is (one that cannot be written is offered a
  // copy), and remembered for the next start.
  application.setQuitOnLastWindowClosed(false);
  while (!working.empty()) {
    std::optional<std::string> next = RunCatalogueWindow(working, program, settings, messages);
    if (!next) break;
    settings.setValue(QString::fromUtf8(trubkom::app::kCatalogueFolderKey),
                      QFile::decodeName(QByteArray::fromStdString(*next)));
    working = trubkom::app::ChooseStartFolder(
        {PathOf(QDir::currentPath()), trubkom::catalogue::DemoCatalogueFolder(program),
         trubkom::app::OwnCatalogueFolder(), *next},
        settings, {questions, messages, folder_chooser});
  }
  return 0;
}
