// The window with the keyboard and a screen reader: every control has a name and says what it
// does, Tab walks the controls left to right and out of the page area, and each shortcut runs
// its command.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWebEngineView>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "app/update_dialog.h"
#include "app/web_browser.h"
#include "app/wizard_panel.h"
#include "app_test_support.h"
#include "common/encoding.h"
#include "common/version.h"

using trubkom::testing::TempCatalogue;
using trubkom::testing::WindowUnderTest;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

void ShowAndActivate(QWidget* window) {
  window->show();
  QVERIFY(QTest::qWaitForWindowExposed(window));
  window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(window));
}

QString AccessibleText(QWidget* widget, QAccessible::Text what) {
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  return accessible ? accessible->text(what) : QString();
}

// Types the text into the focused widget as key presses carrying each character, Cyrillic ones
// included (the test library's own typing knows ASCII keys only).
void Type(const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
  }
}

// What the focus is on, by the object name of the widget or of its nearest named parent (the
// browser area's own widgets have none).
QString FocusName(QWidget* window) {
  for (QWidget* widget = QApplication::focusWidget(); widget && widget != window;
       widget = widget->parentWidget()) {
    if (!widget->objectName().isEmpty()) return widget->objectName();
  }
  return {};
}

// A window with a real browser area, its start page shown.
struct WithBrowser {
  WithBrowser(TempCatalogue& cat, WindowUnderTest& w)
      : view(new trubkom::app::WebBrowser(cat.folders())) {
    ports.browser_widget = view;
    ports.browser = view;
    ports.messages = &w.messages;
    ports.shell = &w.shell;
    ports.random = &w.random;
    ports.folders = &w.folders;
    ports.update_server = "http://127.0.0.1:9/";
    QSignalSpy page(view, &QWebEngineView::loadFinished);
    window = std::make_unique<trubkom::app::MainWindow>(cat.folders(), ports);
    shown = page.wait(60000);
  }
  trubkom::app::WebBrowser* view;
  trubkom::app::MainWindowPorts ports;
  std::unique_ptr<trubkom::app::MainWindow> window;
  bool shown = false;
};

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    cat = std::make_unique<TempCatalogue>();
    trubkom::testing::WriteSmallCatalogue(*cat);
    w = std::make_unique<WindowUnderTest>(*cat);
  }
  void cleanup() {
    w.reset();
    cat.reset();
  }

  // Every control a user can reach has a name a screen reader says; the toolbar's buttons,
  // which show only pictures, and the lists say what they do with the hint bar's text.
  void everyControlHasAName() {
    QList<QWidget*> controls = w->window->findChildren<QWidget*>();
    controls += w->window->update_dialog()->findChildren<QWidget*>();
    int named = 0;
    for (QWidget* control : controls) {
      if (!(control->focusPolicy() & Qt::TabFocus)) continue;
      if (control->isWindow() || (control->window() != w->window.get() &&
                                  control->window() != w->window->update_dialog())) {
        continue;  // a popup's own list, as the brand box's
      }
      if (control->objectName().startsWith(U("qt_"))) continue;  // parts of Qt's own widgets
      QVERIFY2(!AccessibleText(control, QAccessible::Name).isEmpty(),
               qPrintable(control->objectName() + U(" ") +
                          QString::fromLatin1(control->metaObject()->className())));
      ++named;
    }
    QVERIFY(named > 20);
    const QList<std::pair<const char*, const char*>> described = {
        {"previousModel", "Перейти на предыдущую модель"},
        {"updateCatalogue", "Обновить базу данных каталога из Интернета"},
        {"contacts", "Контакты"},
        {"models", "Здесь показан модельный ряд выбранного вами производителя"},
        {"basket", "Сюда переносятся выбранные модели телефонов для сравнения"},
        {"compare", "Сравнить выбранные модели телефонов"},
        {"onlyDifferences", "Сравнивать только строки, в которых модели различаются"},
        {"newModels",
         "О новых моделях, добавленных с помощью модуля автообновления можно узнать из этого "
         "списка"},
    };
    for (const auto& [name, description] : described) {
      QCOMPARE(AccessibleText(w->Find<QWidget>(name), QAccessible::Description), U(description));
    }
    QCOMPARE(AccessibleText(w->Find<QWidget>("previousModel"), QAccessible::Name),
             U("Предыдущая модель"));
    // A box's name on Linux is its text, with the name set for the other desktops.
    QCOMPARE(w->Find<QWidget>("brands")->accessibleName(), U("Производитель"));
  }

  // Tab walks the toolbar, the models column, the browser area, the wizard's column, and
  // round again; the wizard's answers come in their place after a new page is shown.
  void tabWalksLeftToRight() {
    auto* browser = w->Find<QWidget>("browser");
    browser->setFocusPolicy(Qt::StrongFocus);  // as the real browser area takes the focus
    ShowAndActivate(w->window.get());
    // A page with answers made after the window ("Да" keeps models, so ">>" stays enabled).
    w->Find<QWidget>("questionPanel")->findChild<QAbstractButton*>(U("answer"))->click();
    w->Click("next");
    // A model in the middle of the list on show, so that both step buttons can be reached.
    w->Find<QComboBox>("brands")->setCurrentIndex(1);  // Nokia: 1100, 3310, 6230 *, E61 *
    w->Select("models", 2);
    QTest::keyClick(w->List("models"), Qt::Key_Return);
    QTRY_VERIFY(w->Find<QWidget>("previousModel")->isEnabled());
    w->Find<QWidget>("previousModel")->setFocus(Qt::TabFocusReason);
    QStringList walked;
    for (int step = 0; step < 40; ++step) {
      walked << FocusName(w->window.get());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      if (FocusName(w->window.get()) == U("previousModel")) break;
    }
    walked.removeDuplicates();
    walked.removeAll(U("answer"));  // however many the page has
    const QStringList expected = {
        U("previousModel"), U("nextModel"),       U("addToBasket"), U("updateCatalogue"),
        U("stopLoading"),   U("homePage"),        U("contacts"),    U("openCatalogue"),
        U("brands"),        U("search"),          U("models"),      U("fullOnly"),
        U("basket"),        U("onlyDifferences"), U("compare"),     U("browser"),
        U("next"),          U("clear"),           U("results"),     U("newModels")};
    QCOMPARE(walked, expected);
  }

  // The real browser area, showing a page with links: Tab goes into the page, through its
  // links and on to the wizard's column; Shift+Tab goes back through them to the models
  // column. The page never keeps the focus, and the window's shortcuts work inside it.
  void tabLeavesThePageArea() {
    cat->WriteText("Templates/index.html",
                   "<html><body><a href='a.html'>первая</a> <a href='b.html'>вторая</a>"
                   "</body></html>");
    WithBrowser with(*cat, *w);
    QVERIFY(with.shown);
    auto* view = with.view;
    trubkom::app::MainWindow& window = *with.window;
    ShowAndActivate(&window);
    // Where the focus is: a control's name, or the text of the link the page has focused.
    auto focus = [&] {
      if (FocusName(&window) != U("browser")) return FocusName(&window);
      return trubkom::testing::RunInPage(*view,
                                         QStringLiteral("document.activeElement.textContent"))
          .value_or(QVariant())
          .toString();
    };
    window.findChild<QWidget*>(U("compare"))->setFocus(Qt::TabFocusReason);
    QCOMPARE(focus(), U("compare"));
    // The page moves its focus in its own process: each step waits for the focus it must reach,
    // not for the first change, which a busy machine may show half-way.
    for (const char* next : {"первая", "вторая", "answer"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QTRY_COMPARE_WITH_TIMEOUT(focus(), U(next), 10000);
    }
    for (const char* back : {"вторая", "первая", "compare"}) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
      QTRY_COMPARE_WITH_TIMEOUT(focus(), U(back), 10000);
    }

    // The window's shortcuts work from inside the page too.
    QTRY_VERIFY_WITH_TIMEOUT(window.loaded(), 20000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTRY_COMPARE_WITH_TIMEOUT(focus(), U("первая"), 10000);
    // A key the page does not use comes back from the page's process later: wait for it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right, Qt::AltModifier);
    QTRY_COMPARE_WITH_TIMEOUT(window.findChild<QTreeWidget*>(U("models"))->currentItem()->text(0),
                              U("SX210 *"), 10000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
    QTRY_COMPARE_WITH_TIMEOUT(w->messages.texts.size(), std::size_t{1}, 10000);
  }

  // The comparison's "Только различия" is reached with Tab and switched with Space, as a check
  // box is.
  void spaceSwitchesOnlyDifferences() {
    cat->WriteText("Templates/compare_template.html",
                   "<a href='x.html'>до</a> <!compare_switch!><table><tr><!labels!><!tables!>"
                   "</tr></table>");
    WithBrowser with(*cat, *w);
    QVERIFY(with.shown);
    ShowAndActivate(with.window.get());
    QTRY_VERIFY_WITH_TIMEOUT(with.window->loaded(), 20000);
    auto* models = with.window->findChild<QTreeWidget*>(U("models"));
    with.window->findChild<QComboBox*>(U("brands"))->setCurrentIndex(1);
    models->setFocus(Qt::TabFocusReason);
    for (int row : {0, 1}) {
      models->setCurrentItem(models->topLevelItem(row));
      QTest::keyClick(models, Qt::Key_B, Qt::ControlModifier);
    }
    QSignalSpy loaded(with.view, &QWebEngineView::loadFinished);
    QTest::keyClick(models, Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(loaded.size() > 0, 20000);
    auto focused_role = [&] {
      return trubkom::testing::RunInPage(
                 *with.view, QStringLiteral("document.activeElement.getAttribute('role')"))
          .value_or(QVariant())
          .toString();
    };
    with.view->setFocus(Qt::TabFocusReason);
    for (int tab = 0; tab < 20 && focused_role() != U("switch"); ++tab) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QTest::qWait(100);
    }
    QCOMPARE(focused_role(), U("switch"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(with.view->url().fileName(), U("compare_differences.html"), 10000);
    // The page it opens has the switch focused again: a second Space switches back.
    QTRY_COMPARE_WITH_TIMEOUT(focused_role(), U("switch"), 10000);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(with.view->url().fileName(), U("compare_all.html"), 10000);
  }

  // The arrow keys move through a page's radio answers and choose each, as in any radio group;
  // on check boxes they only move.
  void arrowsChooseAWizardAnswer() {
    ShowAndActivate(w->window.get());
    QList<QWidget*> answers = w->window->wizard().FocusOrder().mid(0, 3);  // Да, Нет, Пока не знаю
    auto checked = [&] {
      QList<int> on;
      for (int i = 0; i < answers.size(); ++i) {
        if (static_cast<QAbstractButton*>(answers[i])->isChecked()) on << i;
      }
      return on;
    };
    answers[0]->setFocus(Qt::TabFocusReason);
    struct Step {
      Qt::Key key;
      int focused;
      QList<int> checked;
    };
    for (const Step& step :
         {Step{Qt::Key_Down, 1, {1}}, Step{Qt::Key_Down, 2, {2}}, Step{Qt::Key_Down, 2, {2}},
          Step{Qt::Key_Up, 1, {1}}, Step{Qt::Key_Left, 0, {0}}}) {
      QTest::keyClick(QApplication::focusWidget(), step.key);
      QCOMPARE(QApplication::focusWidget(), answers[step.focused]);
      QCOMPARE(checked(), step.checked);
    }
  }

  // Each shortcut runs its command, wherever the focus is in the window.
  void shortcuts() {
    ShowAndActivate(w->window.get());
    QCOMPARE(FocusName(w->window.get()), U("brands"));  // where a user starts
    w->Find<QComboBox>("brands")->setCurrentIndex(1);   // Nokia: 1100, 3310, 6230 *, E61 *
    QTreeWidget* models = w->List("models");
    auto selected = [models] {
      QList<QTreeWidgetItem*> rows = models->selectedItems();
      return rows.isEmpty() ? -1 : models->indexOfTopLevelItem(rows.first());
    };
    struct Case {
      const char* what;
      QKeyCombination keys;
      std::function<bool()> done;
    };
    const Case cases[] = {
        {"next model", Qt::ALT | Qt::Key_Right, [&] { return selected() == 0; }},
        {"next again", Qt::ALT | Qt::Key_Right, [&] { return selected() == 1; }},
        {"previous model", Qt::ALT | Qt::Key_Left, [&] { return selected() == 0; }},
        {"into the basket", Qt::CTRL | Qt::Key_B,
         [&] { return w->Rows("basket") == QStringList{U("Nokia 1100")}; }},
        {"compare", Qt::CTRL | Qt::Key_Return,
         [&] { return w->browser.shown.back() == cat->Path("Templates/temp.html"); }},
        {"compare from the keypad",
         QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter),
         [&] { return w->browser.shown.size() == 6; }},
        {"about", QKeyCombination(Qt::Key_F1),
         [&] {
           return w->messages.texts.size() == 1 &&
                  w->messages.texts[0].find(trubkom::testing::W("Трубком ") + trubkom::kVersion) !=
                      std::string::npos;
         }},
    };
    // Shown: the start page, then one for each model stepped to and each comparison.
    for (const Case& c : cases) {
      QTest::keyClick(models, c.keys.key(), c.keys.keyboardModifiers());
      QVERIFY2(c.done(), c.what);
    }
    // F5 opens the update dialog; closing it reads the catalogue again.
    trubkom::app::UpdateDialog* dialog = w->window->update_dialog();
    bool shown = false;
    QTimer::singleShot(0, dialog, [dialog, &shown] {
      shown = dialog->isVisible();
      dialog->close();
    });
    QSignalSpy loaded(w->window.get(), &trubkom::app::MainWindow::catalogueLoaded);
    QTest::keyClick(w->List("basket"), Qt::Key_F5);
    QVERIFY(shown);
    QVERIFY(loaded.wait(20000));
    // Ctrl+Q quits: the window closes.
    QTest::keyClick(models, Qt::Key_Q, Qt::ControlModifier);
    QTRY_VERIFY(!w->window->isVisible());
  }

  // "Новинки"'s arrows take the focus and have their keys: Alt+PgDown the older list,
  // Alt+PgUp the newer one.
  void newModelsByKeyboard() {
    cat->WriteText("updates/upd010106.new", "Nokia 1100\r\n");
    cat->WriteText("updates/upd010206.new", "Nokia 3310\r\n");
    w->Reload();
    ShowAndActivate(w->window.get());
    auto* older = w->Find<QToolButton>("older");
    QVERIFY(older->focusPolicy() & Qt::TabFocus);
    QCOMPARE(w->Rows("newModels"), QStringList{U("Nokia 3310")});
    QTest::keyClick(w->List("models"), Qt::Key_PageDown, Qt::AltModifier);
    QCOMPARE(w->Rows("newModels"), QStringList{U("Nokia 1100")});
    QTest::keyClick(w->List("models"), Qt::Key_PageUp, Qt::AltModifier);
    QCOMPARE(w->Rows("newModels"), QStringList{U("Nokia 3310")});
    older->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(FocusName(w->window.get()), U("newModels"));  // the newer arrow is not offered
  }

  // Ctrl+B with no model's page on show adds the current row of the list in use, whichever it
  // is; "Сравнить" with an empty basket says so.
  void ctrlBAddsFromTheListInUse() {
    ShowAndActivate(w->window.get());
    w->Click("compare");
    QVERIFY(w->Find<QLabel>("hintBar")->text().contains(U("Корзина пуста")));
    QTest::keyClick(w->List("models"), Qt::Key_F, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), U("3310"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);  // into the rows found
    QCOMPARE(FocusName(w->window.get()), U("searchResults"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::ControlModifier);
    QCOMPARE(w->Rows("basket"), QStringList{U("Nokia 3310")});
  }

  // Words typed in Cyrillic find their models (the Russian layout, look-alike letters, a brand
  // as it is said); words that find nothing are told that names are written in Latin letters.
  void cyrillicTypingFinds() {
    ShowAndActivate(w->window.get());
    QTest::keyClick(w->List("models"), Qt::Key_F, Qt::ControlModifier);
    Type(U("нокиа 3310"));
    QCOMPARE(w->Rows("searchResults"), QStringList{U("Nokia 3310")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    Type(U("у61"));  // "e" on the Russian layout
    QCOMPARE(w->Rows("searchResults"), QStringList{U("Nokia E61 *")});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    Type(U("щщщ"));
    QVERIFY(w->Find<QLabel>("hintBar")->text().contains(U("латиницей")));
  }

  // Ctrl+F goes to the search field; the words typed, in any order, find the models of every
  // brand in the models list's place; Enter opens the current one's page; a click on the price
  // header sorts the rows by price; Escape returns to the brand's list without opening a page.
  void searchAcrossBrands() {
    ShowAndActivate(w->window.get());
    QTreeWidget* models = w->List("models");
    QTest::keyClick(models, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(FocusName(w->window.get()), U("search"));
    QTest::keyClicks(QApplication::focusWidget(), U("1"));
    QCOMPARE(w->Rows("searchResults"),
             (QStringList{U("Fly SX210 *"), U("Nokia 1100"), U("Nokia 3310"), U("Nokia E61 *")}));
    QVERIFY(!models->isVisible());
    QCOMPARE(w->Find<QLabel>("searchCount")->text(), U("Найдено: 4"));
    QTest::keyClicks(QApplication::focusWidget(), U(" NOKIA"));
    QCOMPARE(w->Rows("searchResults"),
             (QStringList{U("Nokia 1100"), U("Nokia 3310"), U("Nokia E61 *")}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(w->window->state().model_on_show.model, std::string("1100"));
    std::size_t pages = w->browser.shown.size();

    QHeaderView* header = w->List("searchResults")->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCOMPARE(w->Rows("searchResults"),
             (QStringList{U("Nokia 3310"), U("Nokia 1100"), U("Nokia E61 *")}));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);  // the rows took the click
    QVERIFY(models->isVisible());
    QVERIFY(!w->List("searchResults")->isVisible());
    QCOMPARE(FocusName(w->window.get()), U("models"));
    // A click on the models list's header from elsewhere sorts, and opens no page.
    w->Select("models", 0);
    QTest::keyClick(models, Qt::Key_F, Qt::ControlModifier);
    QTest::mouseClick(models->header()->viewport(), Qt::LeftButton, {},
                      QPoint(5, models->header()->height() / 2));
    QTRY_COMPARE(FocusName(w->window.get()), U("models"));
    trubkom::testing::DrainEvents();
    QCOMPARE(w->browser.shown.size(), pages);
  }

  // The About box names the version, the licence, the catalogue's folder and the keys the
  // build trusts.
  void aboutBox() {
    ShowAndActivate(w->window.get());
    QTest::keyClick(w->window.get(), Qt::Key_F1);
    QCOMPARE(w->messages.texts.size(), std::size_t{1});
    std::string text = trubkom::common::Utf8FromCp1251(w->messages.texts[0]);
    for (std::string part : {std::string("Трубком ") + trubkom::kVersion,
                             std::string("Лицензия: ") + trubkom::kLicense,
                             "Папка каталога: " + cat->root(), std::string("F5")}) {
      QVERIFY2(text.find(part) != std::string::npos, part.c_str());
    }
    QVERIFY(text.find("демонстрационным ключам") != std::string::npos);  // ./test's build
  }

 private:
  std::unique_ptr<TempCatalogue> cat;
  std::unique_ptr<WindowUnderTest> w;
};

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"
