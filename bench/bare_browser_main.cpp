// The floor of the window's start-up: a bare browser view that loads one page, measured the
// same way as the program (see bench/startup/measure_startup.sh): bare_browser PAGE.html
#include <QApplication>
#include <QWebEngineView>

#include "app/first_page_report.h"
#include "app/web_browser.h"

int main(int argc, char** argv) {
  trubkom::app::SetBrowserEngineSwitches();
  QApplication application(argc, argv);
  if (argc != 2) return 2;
  QWebEngineView view;
  trubkom::app::ReportStartUpWhenAsked(&view);
  view.resize(993, 680);
  view.show();
  view.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
  return QApplication::exec();
}
