#include "app/first_page_report.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace trubkom::app {

namespace {

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// The process's resident memory now, as the system counts it ("VmRSS").
std::string ResidentKilobytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return "?";
  char line[256];
  long kilobytes = -1;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "VmRSS: %ld kB", &kilobytes) == 1) break;
  }
  std::fclose(status);
  return kilobytes < 0 ? "?" : std::to_string(kilobytes);
}

// What is still to be reported; the program quits after the last when asked to.
struct Reports {
  long long launched = 0;
  int pending = 0;
  bool quit = false;

  void Report(const char* what) {
    std::fprintf(stderr, "%s: %lld ms\n", what, (NowNs() - launched) / 1000000);
    std::fprintf(stderr, "%s resident: %s kB\n", what, ResidentKilobytes().c_str());
    // exit, not quit: it ends the loop the window runs in, whichever it is.
    if (--pending == 0 && quit) QCoreApplication::exit(0);
  }
};

}  // namespace

std::function<void()> ReportStartUpWhenAsked(QWebEngineView* view, bool with_lists) {
  if (!qEnvironmentVariableIsSet("TRUBKOM_REPORT_FIRST_PAGE")) return {};
  auto reports = std::make_shared<Reports>();
  reports->quit = qgetenv("TRUBKOM_REPORT_FIRST_PAGE") == "quit";
  bool given = false;
  reports->launched = qEnvironmentVariable("TRUBKOM_LAUNCHED_NS").toLongLong(&given);
  if (!given) reports->launched = NowNs();
  reports->pending = with_lists ? 2 : 1;
  QObject::connect(
      view, &QWebEngineView::loadFinished, view,
      [=](bool loaded) {
        QByteArray address = view->url().toEncoded();
        // In a world of the program's own: page script may be off.
        view->page()->runJavaScript(
            QStringLiteral("document.body ? document.body.offsetHeight : 0"),
            QWebEngineScript::ApplicationWorld, [=](const QVariant&) {
              reports->Report("first page");
              std::fprintf(stderr, "first page %s: %s\n", loaded ? "shown" : "not loaded",
                           address.constData());
            });
      },
      Qt::SingleShotConnection);
  if (!with_lists) return {};
  // Called when the lists are filled; the zero timer lets the window draw them first.
  return [=] { QTimer::singleShot(0, [=] { reports->Report("lists filled"); }); };
}

}  // namespace trubkom::app
