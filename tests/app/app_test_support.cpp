#include "app_test_support.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <optional>

#include "app/update_dialog.h"
#include "app/web_browser.h"

namespace trubkom::testing {

// Every widget test sets the browser engine's switches as the program does, before its
// application object is made.
const bool kEngineSwitchesSet = (app::SetBrowserEngineSwitches(), true);

bool WaitForPage(QWebEngineView& view, const std::function<void()>& start) {
  QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
  start();
  return loaded.wait(60000) && loaded.at(0).at(0).toBool();
}

void DrainEvents() {
  for (int round = 0; round < 2; ++round) {
    bool reached = false;
    QTimer::singleShot(0, [&reached] { reached = true; });
    QTRY_VERIFY(reached);
  }
}

std::optional<QVariant> RunInPage(QWebEngineView& view, const QString& script) {
  QVariant result;
  bool done = false;
  view.page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                             [&](const QVariant& value) {
                               result = value;
                               done = true;
                             });
  if (!QTest::qWaitFor([&] { return done; }, 10000)) return std::nullopt;
  return result;
}

namespace {

// The centre of the element in the view's input widget, when it is in sight there.
std::optional<QPoint> CentreInPage(QWebEngineView& view, const char* element_id) {
  QVariantList centre =
      RunInPage(view, QStringLiteral("(() => { const r = document.getElementById('%1')"
                                     ".getBoundingClientRect();"
                                     " return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                          .arg(QString::fromUtf8(element_id)))
          .value_or(QVariant())
          .toList();
  if (centre.size() != 2 || !view.focusProxy()) return std::nullopt;
  QPoint at(qRound(centre[0].toDouble()), qRound(centre[1].toDouble()));
  if (!view.focusProxy()->rect().contains(at)) return std::nullopt;
  return at;
}

}  // namespace

bool ClickInPage(QWebEngineView& view, const char* element_id) {
  std::optional<QPoint> at = CentreInPage(view, element_id);
  if (at) QTest::mouseClick(view.focusProxy(), Qt::LeftButton, {}, *at);
  return at.has_value();
}

bool HoverInPage(QWebEngineView& view, const char* element_id) {
  std::optional<QPoint> at = CentreInPage(view, element_id);
  if (!at) return false;
  // The engine takes a move as hovering once the mouse has entered its widget.
  QWidget* input = view.focusProxy();
  QEnterEvent enter(QPointF(*at), QPointF(input->mapTo(input->window(), *at)),
                    QPointF(input->mapToGlobal(*at)));
  QCoreApplication::sendEvent(input, &enter);
  for (QPoint step : {*at - QPoint(2, 0), *at}) {
    QMouseEvent move(QEvent::MouseMove, QPointF(step), QPointF(input->mapToGlobal(step)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(input, &move);
  }
  return true;
}

int CountInPage(QWebEngineView& view, const QString& text) {
  int matches = -1;
  view.page()->findText(text, {}, [&](const QWebEngineFindTextResult& result) {
    matches = result.numberOfMatches();
  });
  if (!QTest::qWaitFor([&] { return matches >= 0; }, 10000)) qWarning("the search did not end");
  view.page()->findText(QString());  // the search's marks go
  return matches;
}

// An update server address where nothing listens, so a run in a test goes offline at once.
const char* const kClosedServer = "http://127.0.0.1:9/";

void WriteSmallCatalogue(const TempCatalogue& cat) {
  cat.WriteText(
      "Base/nokia_new.xml",
      "<brand><model><Model>3310</Model><Properties>0</Properties><Price>45</Price></model>"
      "<model><Model>6230</Model></model><model><Model>1100</Model></model></brand>");
  cat.WriteText("Base/siemens_new.xml", "<brand><model><Model>C55</Model></model></brand>");
  cat.WriteText(
      "Base/base.tkm",
      "Nokia|6230|48(0)|51(0)|53(35)\r\nNokia|E61|48(0)|51(2)\r\nFly|SX210|48(1)|51(0)\r\n");
  cat.WriteText("adv/prices/shop.prc", "Shop\nshop.html\nNokia 3310^1000\nNokia 3310^2000\n");
  cat.WriteText("Templates/index.html", "<html>start</html>");
  cat.WriteText("Templates/model_template.html", "<!title!>|<!price!>");
  cat.WriteText("Templates/model_template_new.html", "<!model!>\r\n<!table1!>");
  cat.WriteText("Templates/compare_template.html", "<!tables!>");
  cat.WriteText("config.tkm",
                "[adv_text]\n{1}\nA(htmlcode)a(/htmlcode)a.html\n{/1}\n[/adv_text]\n");
}

WindowUnderTest::WindowUnderTest(const TempCatalogue& cat, std::function<void()> load_gate,
                                 app::WebBrowser* real_browser) {
  app::MainWindowPorts ports;
  ports.browser_widget = real_browser ? static_cast<QWidget*>(real_browser) : new QWidget;
  ports.browser = real_browser ? static_cast<common::Browser*>(real_browser) : &browser;
  ports.messages = &messages;
  ports.shell = &shell;
  ports.random = &random;
  ports.folders = &folders;
  ports.update_server = kClosedServer;
  ports.load_gate = std::move(load_gate);
  window = std::make_unique<app::MainWindow>(cat.folders(), ports);
  if (!ports.load_gate) WaitForLoad();
}

void WindowUnderTest::WaitForLoad() {
  QSignalSpy loaded(window.get(), &app::MainWindow::catalogueLoaded);
  if (!loaded.wait(20000)) qWarning("the catalogue was not loaded in time");
}

void WindowUnderTest::Reload() {
  QSignalSpy loaded(window.get(), &app::MainWindow::catalogueLoaded);
  // The dialog runs its own event loop; the first turn of that loop closes it.
  app::UpdateDialog* dialog = window->update_dialog();
  QTimer::singleShot(
      0, dialog, [dialog] { dialog->findChild<QPushButton*>(QStringLiteral("close"))->click(); });
  Click("updateCatalogue");
  if (!loaded.wait(20000)) qWarning("the catalogue was not read again in time");
}

QStringList WindowUnderTest::Rows(const char* list) {
  QStringList rows;
  QTreeWidget* tree = List(list);
  for (int i = 0; i < tree->topLevelItemCount(); ++i) rows << tree->topLevelItem(i)->text(0);
  return rows;
}

void WindowUnderTest::Select(const char* list, int row) {
  QTreeWidget* tree = List(list);
  tree->setCurrentItem(tree->topLevelItem(row));
}

void WindowUnderTest::Click(const char* button) {
  auto* found = Find<QAbstractButton>(button);
  if (!found) qFatal("no button %s", button);
  QTest::mouseClick(found, Qt::LeftButton);
}

void WindowUnderTest::ChooseFromMenu(const char* list, const char* caption) {
  auto* menu = List(list)->findChild<QMenu*>();
  if (menu) {
    for (QAction* action : menu->actions()) {
      if (action->text() == QString::fromUtf8(caption)) {
        action->trigger();
        return;
      }
    }
  }
  qFatal("no command %s in the menu of %s", caption, list);
}

}  // namespace trubkom::testing
