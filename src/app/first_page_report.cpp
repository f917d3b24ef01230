#include "app/first_page_report.h"

#include <QCoreApplication>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <chrono>
#include <cstdio>

namespace trubkom::app {

namespace {

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void ReportFirstPageWhenAsked(QWebEngineView* view) {
  if (!qEnvironmentVariableIsSet("TRUBKOM_REPORT_FIRST_PAGE")) return;
  bool quit = qgetenv("TRUBKOM_REPORT_FIRST_PAGE") == "quit";
  bool given = false;
  long long launched = qEnvironmentVariable("TRUBKOM_LAUNCHED_NS").toLongLong(&given);
  if (!given) launched = NowNs();
  auto reported = std::make_shared<bool>(false);
  QObject::connect(view, &QWebEngineView::loadFinished, view, [=](bool loaded) {
    if (*reported) return;
    *reported = true;
    QByteArray address = view->url().toEncoded();
    // In a world of the program's own: page script may be off.
    view->page()->runJavaScript(
        QStringLiteral("document.body ? document.body.offsetHeight : 0"),
        QWebEngineScript::ApplicationWorld, [=](const QVariant&) {
          std::fprintf(stderr, "first page: %lld ms\n", (NowNs() - launched) / 1000000);
          std::fprintf(stderr, "first page %s: %s\n", loaded ? "shown" : "not loaded",
                       address.constData());
          if (quit) QCoreApplication::quit();
        });
  });
}

}  // namespace trubkom::app
