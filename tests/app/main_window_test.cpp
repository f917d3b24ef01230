// The main window on a small catalogue, driven as a user would drive it.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "app/answer_row.h"
#include "app/models_panel.h"
#include "app/qt_ports.h"
#include "app/remembered_state.h"
#include "app/update_dialog.h"
#include "app/wizard_panel.h"
#include "app_test_support.h"
#include "common/table_cap.h"
#include "selection/criteria.h"

using trubkom::testing::TempCatalogue;
using trubkom::testing::WindowUnderTest;
using trubkom::testing::WriteSmallCatalogue;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

void ShowWindow(WindowUnderTest& w) {
  w.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
  w.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
}

// A double click as the list sees it from a real mouse: a press and release, then the second
// press that Qt reports as a double click.
void DoubleClickRow(QTreeWidget* list, int row) {
  QPoint at = list->visualItemRect(list->topLevelItem(row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// The keyboard focus arriving, by default as it does when the user tabs into a widget.
void GiveFocus(QWidget* widget, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent focus_in(QEvent::FocusIn, reason);
  QCoreApplication::sendEvent(widget, &focus_in);
}

// Every entry under the folder but the page files, with its kind, size and time of change, read
// without following links or opening files (FIFOs and endless files are among them).
std::string CatalogueSnapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::set<std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(folder, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string name = it->path().lexically_relative(folder).string();
    if (name == "Templates/temp.html" || name == "Templates/price_temp.html") continue;
    struct stat info {};
    ::lstat(it->path().c_str(), &info);
    entries.insert(name + " " + std::to_string(info.st_mode) + " " +
                   (S_ISDIR(info.st_mode)
                        ? std::string()
                        : std::to_string(info.st_size) + " " + std::to_string(info.st_mtim.tv_sec) +
                              "." + std::to_string(info.st_mtim.tv_nsec)));
  }
  std::string text;
  for (const std::string& entry : entries) text += entry + "\n";
  return text;
}

QList<trubkom::app::AnswerRow*> AnswerRows(WindowUnderTest& w) {
  return w.Find<QWidget>("questionPanel")->findChildren<trubkom::app::AnswerRow*>();
}

// Whether the row is drawn highlighted: its left edge has the list's highlight colour.
bool LooksSelected(QTreeWidget* list, int row) {
  QImage image = list->viewport()->grab().toImage();
  QRect rect = list->visualItemRect(list->topLevelItem(row));
  QColor seen = image.pixelColor(rect.left() + 2, rect.center().y());
  QColor highlight = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
  return std::abs(seen.red() - highlight.red()) + std::abs(seen.green() - highlight.green()) +
             std::abs(seen.blue() - highlight.blue()) <
         24;
}

// The controls of the wizard's column that must never be drawn over one another, in the
// coordinates of the column's content.
QList<QPair<QString, QRect>> ColumnControls(WindowUnderTest& w) {
  QWidget* content = w.Find<QWidget>("questionPanel")->parentWidget();
  while (!qobject_cast<QScrollArea*>(content->parentWidget()->parentWidget())) {
    content = content->parentWidget();
  }
  auto place = [content](QWidget* widget) {
    return QRect(widget->mapTo(content, QPoint(0, 0)), widget->size());
  };
  QList<QPair<QString, QRect>> controls;
  controls << qMakePair(U("question"), place(w.Find<QWidget>("question")));
  for (QWidget* row : AnswerRows(w)) controls << qMakePair(U("answer"), place(row));
  for (const char* name : {"next", "clear", "count", "results", "newModels"}) {
    QWidget* widget = w.Find<QWidget>(name);
    if (widget->isVisible() &&
        !(name == std::string("count") && w.Find<QLabel>(name)->text().isEmpty())) {
      controls << qMakePair(U(name), place(widget));
    }
  }
  return controls;
}

void Enter(QWidget* widget) {
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QCoreApplication::sendEvent(widget, &enter);
}

void Leave(QWidget* widget) {
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(widget, &leave);
}

QList<QAbstractButton*> Answers(WindowUnderTest& w) {
  QList<QAbstractButton*> answers;
  for (QAbstractButton* button :
       w.Find<QWidget>("questionPanel")->findChildren<QAbstractButton*>()) {
    if (qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button)) answers << button;
  }
  return answers;
}

// Answers the wizard's page so that the models found so far stay listed, and presses ">>":
// "Да" on the first page, then each page's last answer, which sets no condition, and nothing on
// the page of check boxes.
void NextKeepingTheModels(WindowUnderTest& w) {
  QList<QAbstractButton*> answers = Answers(w);
  if (w.window->wizard().page() == 0) {
    answers.first()->setChecked(true);
  } else if (!answers.isEmpty() && qobject_cast<QRadioButton*>(answers.first())) {
    answers.last()->setChecked(true);
  }
  w.Click("next");
}

// Shows the page of the models list's row with the text, as its context menu does.
void ShowListedModel(WindowUnderTest& w, const QString& model) {
  int row = w.Rows("models").indexOf(model);
  if (row < 0) qFatal("no row %s", qPrintable(model));
  w.Select("models", row);
  w.ChooseFromMenu("models", "Посмотреть описание");
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    cat = std::make_unique<TempCatalogue>();
    WriteSmallCatalogue(*cat);
    w = std::make_unique<WindowUnderTest>(*cat);
  }
  void cleanup() {
    w.reset();
    cat.reset();
  }

  void layout() {
    QCOMPARE(w->window->windowTitle(),
             U("Трубком v1.2.13 — ") + QString::fromStdString(cat->root()));
    QCOMPARE(w->window->minimumSize(), QSize(800, 370));
    QCOMPARE(w->window->geometry(), QRect(152, 247, 993, 680));
    QCOMPARE(w->List("models")->columnWidth(0), 121);
    QCOMPARE(w->List("models")->columnWidth(1), 50);
    QCOMPARE(w->List("basket")->columnWidth(0), 121);
    QCOMPARE(w->List("results")->columnWidth(0), 149);
    QCOMPARE(w->List("newModels")->columnWidth(0), 121);
    QCOMPARE(w->List("models")->headerItem()->text(1), U("Цена"));
    QStringList titles;
    for (QLabel* title : w->window->findChildren<QLabel*>(U("title"))) titles << title->text();
    QCOMPARE(titles, (QStringList{U("Модели"), U("Корзина"), U("Подбор модели"), U("Новинки")}));
    QVERIFY(!w->Find<QCheckBox>("fullOnly")->isChecked());
    QVERIFY(w->Find<QToolButton>("older")->isHidden());
    QVERIFY(w->Find<QToolButton>("newer")->isHidden());
  }

  // A window as narrow as a laptop's at a scale of 2 (640 pixels) leaves the page about half of
  // it; the side columns can be folded away, the page never.
  void thePageKeepsHalfANarrowWindow() {
    ShowWindow(*w);
    w->window->setMinimumSize(0, 0);
    w->window->resize(640, 500);
    auto* columns = w->Find<QSplitter>("columns");
    QTRY_VERIFY(columns->width() <= 640);
    QTRY_VERIFY2(
        columns->sizes()[1] >= columns->width() * 45 / 100 - 2,
        qPrintable(QStringLiteral("%1 of %2").arg(columns->sizes()[1]).arg(columns->width())));
    QList<int> widths = columns->sizes();
    QVERIFY(widths[0] > 0 && widths[2] > 0);
    columns->setSizes({0, 600, 0});
    QCOMPARE(columns->sizes()[0], 0);
    QCOMPARE(columns->sizes()[2], 0);
    columns->setSizes({400, 0, 200});
    QVERIFY(columns->sizes()[1] > 0);
  }

  void startupLoad() {
    QCOMPARE(w->browser.shown, std::vector<std::string>{cat->Path("Templates/index.html")});
    QVERIFY(w->messages.texts.empty());
    QComboBox* brands = w->Find<QComboBox>("brands");
    QStringList entries;
    for (int i = 0; i < brands->count(); ++i) entries << brands->itemText(i);
    QCOMPARE(entries, (QStringList{U("Fly"), U("Nokia"), U("Siemens")}));
    QCOMPARE(w->Rows("models"), QStringList{U("SX210 *")});
    QCOMPARE(w->Find<QLabel>("question")->text(), U("Должен ли это быть смартфон?"));
    QCOMPARE(Answers(*w).size(), 3);
  }

  // A catalogue whose tables outgrow their cap is said, and the window goes on: read again with
  // room, it shows the catalogue.
  void aCatalogueTooLargeForItsTablesIsSaid() {
    trubkom::common::SetTableCapForTesting(64);
    WindowUnderTest too_large(*cat);
    trubkom::common::SetTableCapForTesting(0);
    QCOMPARE(too_large.messages.texts.size(), std::size_t{1});
    QVERIFY(too_large.messages.texts[0].starts_with(trubkom::testing::W("Каталог слишком велик")));
    too_large.Reload();
    QCOMPARE(too_large.Rows("models"), QStringList{U("SX210 *")});
  }

  void missingConfigIsReportedOnce() {
    std::filesystem::remove(cat->Path("config.tkm"));
    WindowUnderTest again(*cat);
    QCOMPARE(again.messages.texts.size(), std::size_t{1});
    // The message names the file and the folder it belongs in.
    QCOMPARE(again.messages.texts[0],
             trubkom::testing::W("Отсутствует файл конфигурации config.tkm.\nОн должен лежать в "
                                 "папке программы: " +
                                 cat->folders().program));
  }

  void hintBar_data() {
    QTest::addColumn<int>("title");
    QTest::addColumn<QString>("hint");
    QTest::newRow("models") << 0 << U(" Здесь показан модельный ряд выбранного вами производителя");
    QTest::newRow("basket") << 1 << U(" Сюда переносятся выбранные модели телефонов для сравнения");
    QTest::newRow("wizard") << 2 << U(" Этот мастер поможет подобрать подходящую вам модель");
    QTest::newRow("new") << 3
                         << U(" О новых моделях, добавленных с помощью модуля автообновления "
                              "можно узнать из этого списка");
  }
  void hintBar() {
    QFETCH(int, title);
    QFETCH(QString, hint);
    QLabel* bar = w->Find<QLabel>("hintBar");
    QCOMPARE(bar->text(), QString());
    QWidget* frame_title = w->window->findChildren<QLabel*>(U("title")).at(title);
    Enter(frame_title);
    QCOMPARE(bar->text(), hint);
    Leave(frame_title);
    QCOMPARE(bar->text(), QString());
  }

  void toolbarHints() {
    QLabel* bar = w->Find<QLabel>("hintBar");
    QList<QToolButton*> buttons;
    for (QToolButton* b : w->window->findChildren<QToolButton*>()) {
      if (b->size() == QSize(32, 32)) buttons << b;
    }
    QCOMPARE(buttons.size(), 7);
    QIcon normal = buttons[0]->icon();
    Enter(buttons[0]);
    QCOMPARE(bar->text(), U(" Перейти на предыдущую модель"));
    QVERIFY(buttons[0]->icon().cacheKey() != normal.cacheKey());
    Leave(buttons[0]);
    QCOMPARE(bar->text(), QString());
    Enter(buttons[6]);
    QCOMPARE(bar->text(), U(" Контакты"));
  }

  void brandChangeListsModelsWithPrices() {
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QCOMPARE(w->Rows("models"), (QStringList{U("1100"), U("3310"), U("6230 *"), U("E61 *")}));
    QCOMPARE(w->List("models")->topLevelItem(1)->text(1), U("1500"));
    QCOMPARE(w->window->models().current_brand(), std::string("Nokia"));
  }

  void filterCheckBox() {
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QCheckBox* full_only = w->Find<QCheckBox>("fullOnly");
    QTest::mouseClick(full_only, Qt::LeftButton, {}, QPoint(5, full_only->height() / 2));
    QCOMPARE(w->Rows("models"), (QStringList{U("6230 *"), U("E61 *")}));
    QTest::mouseClick(full_only, Qt::LeftButton, {}, QPoint(5, full_only->height() / 2));
    QCOMPARE(w->Rows("models").size(), 4);
  }

  void doubleClickShowsTheModelPage() {
    ShowWindow(*w);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    DoubleClickRow(w->List("models"), 1);
    QCOMPARE(w->browser.shown.back(), cat->Path("Templates/temp.html"));
    QCOMPARE(cat->ReadBytes("Templates/temp.html"), std::string("Nokia 3310|45 $\r\n"));
  }

  // Previous and next step from the model on show, also when "Только с полным описанием" has
  // hidden it; with nothing on show next starts at the first row. A button with no row to go
  // to is disabled.
  void previousAndNext_data() {
    QTest::addColumn<QString>("shown");  // the model on show before the step; none when empty
    QTest::addColumn<bool>("full_only");
    QTest::addColumn<QString>("previous");  // the model that previous shows; none: disabled
    QTest::addColumn<QString>("next");
    QTest::newRow("nothing on show") << QString() << false << QString() << U("1100");
    QTest::newRow("first row") << U("1100") << false << QString() << U("3310");
    QTest::newRow("a middle row") << U("3310") << false << U("1100") << U("6230 *");
    QTest::newRow("last row") << U("E61 *") << false << U("6230 *") << QString();
    QTest::newRow("on show and listed by the filter")
        << U("6230 *") << true << QString() << U("E61 *");
    QTest::newRow("on show and hidden by the filter")
        << U("3310") << true << QString() << U("6230 *");
  }
  void previousAndNext() {
    QFETCH(QString, shown);
    QFETCH(bool, full_only);
    QFETCH(QString, previous);
    QFETCH(QString, next);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QCheckBox* filter = w->Find<QCheckBox>("fullOnly");
    for (const char* step : {"previousModel", "nextModel"}) {
      QString expected = std::string(step) == "nextModel" ? next : previous;
      // The same start for each step.
      if (filter->isChecked())
        QTest::mouseClick(filter, Qt::LeftButton, {}, QPoint(5, filter->height() / 2));
      if (!shown.isEmpty()) ShowListedModel(*w, shown);
      if (full_only) QTest::mouseClick(filter, Qt::LeftButton, {}, QPoint(5, filter->height() / 2));
      QCOMPARE(filter->isChecked(), full_only);
      w->List("models")->clearSelection();  // the selection is not what the steps go by
      auto* button = w->Find<QAbstractButton>(step);
      QCOMPARE(button->isEnabled(), !expected.isEmpty());
      QString before = QString::fromStdString(w->window->state().model_on_show.model);
      std::size_t pages = w->browser.shown.size();
      w->Click(step);
      QString after = QString::fromStdString(w->window->state().model_on_show.model);
      if (expected.isEmpty()) {
        QCOMPARE(w->browser.shown.size(), pages);
        QCOMPARE(after, before);
      } else {
        QCOMPARE(after, expected);
        QCOMPARE(w->List("models")->currentItem()->text(0), expected);
      }
    }
  }

  // The basket button adds the model whose page is on show, whatever row is selected; every
  // list adds its rows with the price the models list gives them.
  void basketAddsWithPrices_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("price");
    QTest::newRow("basket button") << U("addToBasket") << U("Nokia 3310") << U("1500");
    QTest::newRow("models list") << U("models") << U("Nokia 3310") << U("1500");
    QTest::newRow("wizard's results") << U("results") << U("Nokia 6230 *") << U("700");
    QTest::newRow("new models") << U("newModels") << U("NOKIA 6230") << U("700");
  }
  void basketAddsWithPrices() {
    QFETCH(QString, from);
    QFETCH(QString, entry);
    QFETCH(QString, price);
    cat->WriteText("adv/prices/more.prc", "More\nmore.html\nNokia 6230^700\n");
    cat->WriteText("updates/upd010106.new", "NOKIA 6230\r\n");
    w->Reload();
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    if (from == U("addToBasket")) {
      ShowListedModel(*w, U("3310"));
      w->Select("models", 0);
      w->Click("addToBasket");
    } else if (from == U("models")) {
      w->Select("models", 1);
      w->ChooseFromMenu("models", "Добавить в корзину");
    } else {
      if (from == U("results")) {
        Answers(*w)[0]->setChecked(true);  // "Да"
        w->Click("next");
      }
      w->Select(qPrintable(from), 0);
      w->ChooseFromMenu(qPrintable(from), "Добавить в корзину");
    }
    QCOMPARE(w->Rows("basket"), QStringList{entry});
    QCOMPARE(w->List("basket")->topLevelItem(0)->text(1), price);
    QCOMPARE(w->window->basket().entries().at(0).price, price.toStdString());
  }

  // A model the basket already holds, in any letter case, is not added again, and the hint bar
  // says so; so it does when the basket button finds no model page on show.
  void basketSaysWhyNothingWasAdded() {
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QLabel* bar = w->Find<QLabel>("hintBar");
    w->Click("addToBasket");
    QCOMPARE(bar->text(), U(" Откройте страницу модели, чтобы добавить её в корзину"));
    QVERIFY(w->Rows("basket").isEmpty());
    w->Select("models", 1);
    w->ChooseFromMenu("models", "Добавить в корзину");
    ShowListedModel(*w, U("3310"));
    auto* button = w->Find<QToolButton>("addToBasket");
    Enter(button);
    w->Click("addToBasket");
    QCOMPARE(w->Rows("basket"), QStringList{U("Nokia 3310")});
    QCOMPARE(bar->text(), U(" Эта модель уже есть в корзине"));
    // The notice stays while the mouse goes on over the button, and goes when it leaves.
    QPointF at(3, 3);
    QMouseEvent move(QEvent::MouseMove, at, at, button->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    QCOMPARE(bar->text(), U(" Эта модель уже есть в корзине"));
    Leave(button);
    QCOMPARE(bar->text(), QString());
  }

  // Delete removes the basket's current row; the context menu empties the basket.
  void basketDeleteAndClear() {
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    for (int row : {0, 1, 2}) {
      w->Select("models", row);
      w->ChooseFromMenu("models", "Добавить в корзину");
    }
    QTreeWidget* basket = w->List("basket");
    basket->setCurrentItem(basket->topLevelItem(1));
    QTest::keyClick(basket, Qt::Key_Delete);
    QCOMPARE(w->Rows("basket"), (QStringList{U("Nokia 1100"), U("Nokia 6230 *")}));
    QCOMPARE(w->window->basket().ComparisonText(), std::string("Nokia 1100^Nokia 6230 *^"));
    w->ChooseFromMenu("basket", "Очистить корзину");
    QVERIFY(w->Rows("basket").isEmpty());
    QVERIFY(w->window->basket().empty());
    QVERIFY(w->Find<QLabel>("hintBar")->text().contains(U("Ctrl+Z")));
    // Ctrl+Z brings the basket back, once.
    ShowWindow(*w);
    for (int i = 0; i < 2; ++i) QTest::keyClick(basket, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(w->Rows("basket"), (QStringList{U("Nokia 1100"), U("Nokia 6230 *")}));
    QCOMPARE(w->window->basket().ComparisonText(), std::string("Nokia 1100^Nokia 6230 *^"));
  }

  void basket() {
    // A model that reached the basket from the new models, in other letter case.
    cat->WriteText("updates/upd010106.new", "NOKIA 1100\r\n");
    w->Reload();
    w->Select("newModels", 0);
    w->ChooseFromMenu("newModels", "Добавить в корзину");

    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    ShowListedModel(*w, U("3310"));
    w->Click("addToBasket");
    w->ChooseFromMenu("models", "Добавить в корзину");
    QCOMPARE(w->Rows("basket"), (QStringList{U("NOKIA 1100"), U("Nokia 3310")}));
    QCOMPARE(w->List("basket")->topLevelItem(0)->text(1), QString());
    QCOMPARE(w->List("basket")->topLevelItem(1)->text(1), U("1500"));

    // A row that differs from a basket row only in letter case is refused.
    ShowListedModel(*w, U("1100"));
    w->Click("addToBasket");
    QCOMPARE(w->Rows("basket").size(), 2);

    w->List("basket")->clearSelection();
    w->ChooseFromMenu("basket", "Удалить из списка");
    QCOMPARE(w->Rows("basket").size(), 2);
    w->Select("basket", 1);
    w->ChooseFromMenu("basket", "Удалить из списка");
    QCOMPARE(w->Rows("basket"), QStringList{U("NOKIA 1100")});
    QCOMPARE(w->window->basket().ComparisonText(), std::string("NOKIA 1100^"));
  }

  // The user may drag the basket's columns into another order: the rows still stand for the
  // basket's entries, so removing, showing and comparing act on the row chosen.
  void basketFollowsItsRowsWithColumnsMoved() {
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    for (int row : {0, 1, 2}) {
      w->Select("models", row);
      w->ChooseFromMenu("models", "Добавить в корзину");
    }
    QTreeWidget* basket = w->List("basket");
    basket->header()->moveSection(0, 1);
    QCOMPARE(basket->header()->logicalIndex(0), 1);

    w->Select("basket", 1);
    w->ChooseFromMenu("basket", "Удалить из списка");
    QCOMPARE(w->Rows("basket"), (QStringList{U("Nokia 1100"), U("Nokia 6230 *")}));
    QCOMPARE(w->window->basket().ComparisonText(), std::string("Nokia 1100^Nokia 6230 *^"));

    w->Select("basket", 1);
    w->ChooseFromMenu("basket", "Посмотреть описание");
    QVERIFY(cat->ReadBytes("Templates/temp.html").starts_with("Nokia 6230\r\n"));

    w->Click("compare");
    std::string page = cat->ReadBytes("Templates/temp.html");
    QVERIFY(page.find("Nokia 1100") < page.find("Nokia 6230"));
    QVERIFY(page.find("Nokia 3310") == std::string::npos);
  }

  void compare() {
    std::size_t pages = w->browser.shown.size();
    w->Click("compare");  // empty basket
    QCOMPARE(w->browser.shown.size(), pages);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    w->Select("models", 1);
    w->ChooseFromMenu("models", "Добавить в корзину");
    w->Select("models", 0);
    w->ChooseFromMenu("models", "Добавить в корзину");
    w->Click("compare");
    QCOMPARE(w->browser.shown.size(), pages + 1);
    std::string page = cat->ReadBytes("Templates/temp.html");
    QVERIFY(page.find("Nokia 3310") < page.find("Nokia 1100"));
    QVERIFY(page.find("45 $") != std::string::npos);
    // The basket's switch shows the comparison again as it asks, on a template without labels
    // too: only the differences in the program's labelled layout, then the template's own page.
    for (bool on : {true, false}) {
      w->Click("onlyDifferences");
      QCOMPARE(w->browser.shown.size(), pages + (on ? 2 : 3));
      page = cat->ReadBytes("Templates/temp.html");
      QCOMPARE(page.find(trubkom::testing::W("Средняя цена")) != std::string::npos, on);
      QCOMPARE(w->window->Remembered().only_differences, on);
    }
  }

  // "Открыть каталог…" (Ctrl+O) takes a folder with a catalogue, closing the window for it; a
  // folder without one is said, and the window stays.
  void openAnotherCatalogue() {
    TempCatalogue empty;
    TempCatalogue other;
    trubkom::testing::WriteSmallCatalogue(other);
    struct Case {
      std::string chosen;
      bool closes;
    };
    for (const Case& c : {Case{"", false}, Case{empty.root(), false}, Case{other.root(), true}}) {
      w->window->show();
      w->window->activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(w->window.get()));
      w->folders.answer = c.chosen;
      std::size_t said = w->messages.texts.size();
      QTest::keyClick(w->window.get(), Qt::Key_O, Qt::ControlModifier);
      QCOMPARE(w->window->isVisible(), !c.closes);
      QCOMPARE(w->window->next_catalogue().has_value(), c.closes);
      QCOMPARE(w->messages.texts.size(), said + (c.chosen == empty.root() ? 1 : 0));
    }
    QCOMPARE(*w->window->next_catalogue(), other.root());
  }

  // The home button keeps to the rule of page links: a web or mail address goes to the desktop,
  // a file of the catalogue shows in the browser area, anything else is refused in the hint bar.
  void homePageAndContacts() {
    w->Click("homePage");  // no Templates/hp: nothing happens
    QVERIFY(w->shell.opened.empty());
    cat->WriteText("adv/start.html", "<html></html>");
    struct Case {
      std::string line, opened, shown;
    };
    const Case cases[] = {
        {"https://example.org/\r\nsecond line", "https://example.org/", ""},
        {"mailto:a@example.org?attach=/etc/shadow", "mailto:a@example.org", ""},
        {"adv\\start.html", "", "file://" + cat->Path("adv/start.html")},
        {"smb://evil.invalid/share", "", ""},
        {"javascript:alert(1)", "", ""},
        {"file:///etc/shadow", "", ""},
        {"evil.desktop", "", ""},
    };
    for (const Case& c : cases) {
      cat->WriteText("Templates/HP", c.line + "\r\n");
      w->shell.opened.clear();
      const std::size_t pages = w->browser.shown.size();
      w->Click("homePage");
      QCOMPARE(w->shell.opened,
               c.opened.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.opened});
      if (!c.shown.empty()) QCOMPARE(w->browser.shown.back(), c.shown);
      if (c.opened.empty() && c.shown.empty()) {
        QCOMPARE(w->browser.shown.size(), pages);
        QVERIFY(w->Find<QLabel>("hintBar")->text().contains(U("Домашняя страница")));
      }
    }
    w->Click("contacts");
    QCOMPARE(w->browser.shown.back(), "file://" + cat->Path("adv/advertisement/contacts.html"));
    w->Click("stopLoading");
    QCOMPARE(w->browser.stops, 1);
  }

  void enterAndFocusShowTheSelectedModel() {
    ShowWindow(*w);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QTreeWidget* models = w->List("models");
    std::size_t pages = w->browser.shown.size();
    GiveFocus(models);  // with nothing selected nothing is shown
    QCOMPARE(w->browser.shown.size(), pages);
    models->setCurrentItem(models->topLevelItem(2));
    QTest::keyClick(models, Qt::Key_Return);
    QCOMPARE(w->browser.shown.size(), pages + 1);
    QVERIFY(cat->ReadBytes("Templates/temp.html").starts_with("Nokia 6230\r\n"));
    GiveFocus(models);
    QCOMPARE(w->browser.shown.size(), pages + 2);
  }

  // Focus that comes back from a menu, a dialog or another window, or that the program moves,
  // leaves the page on show as it is; the user tabbing into the list shows the selected model.
  void focusReasons_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<bool>("shows");
    QTest::newRow("tab") << int(Qt::TabFocusReason) << true;
    QTest::newRow("backtab") << int(Qt::BacktabFocusReason) << true;
    QTest::newRow("shortcut") << int(Qt::ShortcutFocusReason) << true;
    QTest::newRow("menu closed") << int(Qt::PopupFocusReason) << false;
    QTest::newRow("window or dialog") << int(Qt::ActiveWindowFocusReason) << false;
    QTest::newRow("program") << int(Qt::OtherFocusReason) << false;
  }
  void focusReasons() {
    QFETCH(int, reason);
    QFETCH(bool, shows);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    w->Select("models", 2);
    std::size_t pages = w->browser.shown.size();
    GiveFocus(w->List("models"), Qt::FocusReason(reason));
    QCOMPARE(w->browser.shown.size(), pages + (shows ? 1 : 0));
  }

  // A click that brings the focus into the list shows the clicked row's page, once.
  void clickThatBringsTheFocusShowsTheClickedRow() {
    ShowWindow(*w);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    QTreeWidget* models = w->List("models");
    w->Select("models", 0);
    w->List("basket")->setFocus();
    QTRY_VERIFY(w->List("basket")->hasFocus());
    std::size_t pages = w->browser.shown.size();
    QPoint at = models->visualItemRect(models->topLevelItem(2)).center();
    QTest::mouseClick(models->viewport(), Qt::LeftButton, {}, at);
    QTRY_COMPARE(w->browser.shown.size(), pages + 1);
    trubkom::testing::DrainEvents();
    QCOMPARE(w->browser.shown.size(), pages + 1);
    QCOMPARE(models->currentItem()->text(0), U("6230 *"));
    QVERIFY(cat->ReadBytes("Templates/temp.html").starts_with("Nokia 6230\r\n"));
  }

  // Only the list with the keyboard focus shows its selected row highlighted.
  void selectionShownOnlyWithTheFocus() {
    ShowWindow(*w);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    w->Select("models", 1);
    w->Select("results", 0);
    w->List("models")->setFocus();
    QTRY_VERIFY(w->List("models")->hasFocus());
    QVERIFY(LooksSelected(w->List("models"), 1));
    w->List("basket")->setFocus();
    QTRY_VERIFY(w->List("basket")->hasFocus());
    QVERIFY(!LooksSelected(w->List("models"), 1));
  }

  // At the smallest window and a low one, no control of the wizard's column covers another on
  // any page; the column scrolls where its fixed parts do not fit.
  void wizardColumnNeverOverlaps_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("minimum") << QSize(800, 370);
    QTest::newRow("low") << QSize(993, 480);
    QTest::newRow("default") << QSize(993, 680);
  }
  void wizardColumnNeverOverlaps() {
    QFETCH(QSize, size);
    ShowWindow(*w);
    w->window->resize(size);
    auto overlap = [this] {
      QList<QPair<QString, QRect>> controls = ColumnControls(*w);
      for (int i = 0; i < controls.size(); ++i) {
        for (int j = i + 1; j < controls.size(); ++j) {
          if (controls[i].second.intersects(controls[j].second)) {
            return controls[i].first + U(" over ") + controls[j].first;
          }
        }
      }
      return QString();
    };
    for (int page = 0; page <= 12; ++page) {
      // The layout settles in posted events after a page is built.
      QTRY_COMPARE_WITH_TIMEOUT(overlap(), QString(), 2000);
      NextKeepingTheModels(*w);
    }
  }

  // Where a page's controls stand when no caption wraps: the answers 16 pixels apart below the
  // question, the buttons below the answers (or the question), the count below the buttons.
  void wizardPageGeometry_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<int>>("answer_tops");
    QTest::addColumn<int>("buttons_top");
    QTest::addColumn<int>("count_top");
    QTest::addColumn<int>("panel_height");
    QTest::newRow("first page") << 0 << QList<int>{89, 105, 121} << 151 << 175 << 190;
    QTest::newRow("last page, no answers") << 12 << QList<int>{} << 97 << 121 << 136;
  }
  void wizardPageGeometry() {
    QFETCH(int, page);
    QFETCH(QList<int>, answer_tops);
    QFETCH(int, buttons_top);
    QFETCH(int, count_top);
    QFETCH(int, panel_height);
    for (int step = 0; step < page; ++step) NextKeepingTheModels(*w);
    QCOMPARE(w->window->wizard().page(), page);
    QList<int> tops;
    for (QWidget* row : AnswerRows(*w)) tops << row->y();
    QCOMPARE(tops, answer_tops);
    QCOMPARE(w->Find<QWidget>("next")->y(), buttons_top);
    QCOMPARE(w->Find<QWidget>("clear")->y(), buttons_top);
    QCOMPARE(w->Find<QWidget>("count")->y(), count_top);
    QCOMPARE(w->Find<QWidget>("questionPanel")->height(), panel_height);
  }

  // The number beside each answer is the number of models that choosing it lists, on the first
  // page and on the second after "Да".
  void answerCountsAreTheResultsOfChoosingThem() {
    for (int page : {0, 1}) {
      for (int i = 0;; ++i) {
        w->Click("clear");
        for (int step = 0; step < page; ++step) {
          Answers(*w)[0]->setChecked(true);
          w->Click("next");
        }
        QList<trubkom::app::AnswerRow*> rows = AnswerRows(*w);
        if (i == rows.size()) break;
        QString count = rows[i]->count();
        Answers(*w)[i]->setChecked(true);
        w->Click("next");
        QCOMPARE(count, QString::number(w->Rows("results").size()));
      }
    }
  }

  void answerCountsFollowTheCheckedBoxes() {
    cat->WriteText("Base/base.tkm",
                   "A|1|48(0)|15(3)|54(2)\r\nA|2|48(0)|15(40)|54(2)\r\nA|3|48(0)|54(0)\r\n");
    w->Reload();
    for (int page = 0; page < 11; ++page) NextKeepingTheModels(*w);  // all three
    auto counts = [this] {
      QStringList shown;
      for (trubkom::app::AnswerRow* row : AnswerRows(*w)) shown << row->count();
      return shown;
    };
    QCOMPARE(counts(), (QStringList{U("0"), U("1"), U("2"), U("1"), U("0"), U("0"), U("0")}));
    Answers(*w)[1]->setChecked(true);  // a voice recorder: model 1 only
    QCOMPARE(counts(), (QStringList{U("0"), U("1"), U("1"), U("0"), U("0"), U("0"), U("0")}));
  }

  void linkTheDesktopCannotOpenIsReported() {
    trubkom::testing::FakeMessages messages;
    trubkom::app::QtShell shell(messages, [](const QUrl&) { return false; });
    shell.Open("mailto:prices@trubkom.example");
    QCOMPARE(messages.texts.size(), std::size_t{1});
    QVERIFY(messages.texts[0].find("mailto:prices@trubkom.example") != std::string::npos);
    trubkom::app::QtShell working(messages, [](const QUrl&) { return true; });
    working.Open("https://trubkom.example/");
    QCOMPARE(messages.texts.size(), std::size_t{1});
  }

  void pageThatCannotBeWrittenIsReported() {
    std::filesystem::create_directory(cat->Path("Templates/temp.html"));
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    w->Select("models", 1);
    std::size_t pages = w->browser.shown.size();
    w->ChooseFromMenu("models", "Посмотреть описание");
    QCOMPARE(w->browser.shown.size(), pages);
    QCOMPARE(w->messages.texts.size(), std::size_t{1});
    QVERIFY(w->messages.texts[0].find(cat->Path("Templates/temp.html")) != std::string::npos);
  }

  // Damaged catalogues: the window starts, lists a brand and shows a page without hanging.
  // Every kind of damage at every file the window reads on start-up, and missing folders: the
  // window starts, shows a model page, and changes no catalogue file but the page files.
  void startsOnDamagedCatalogues_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("damage");
    for (const char* file :
         {"Base/base.tkm", "config.tkm", "Base/nokia_new.xml", "adv/prices/shop.prc",
          "Templates/model_template.html", "updates/upd150107.new"}) {
      for (const char* damage : {"folder", "fifo", "zero", "mem", "loop", "binary", "huge"}) {
        QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(U(file), U(damage))))
            << U(file) << U(damage);
      }
    }
    for (const char* folder : {"adv", "Pics", "updates"}) {
      QTest::newRow(qPrintable(QStringLiteral("%1 missing").arg(U(folder))))
          << U(folder) << U("missing");
    }
  }
  void startsOnDamagedCatalogues() {
    QFETCH(QString, file);
    QFETCH(QString, damage);
    cat->WriteText("updates/upd150107.new", "Nokia 1100\r\n");
    std::string path = cat->Path(file.toStdString());
    std::filesystem::remove_all(path);
    if (damage == U("folder")) std::filesystem::create_directory(path);
    if (damage == U("fifo")) QCOMPARE(::mkfifo(path.c_str(), 0600), 0);
    if (damage == U("zero")) std::filesystem::create_symlink("/dev/zero", path);
    if (damage == U("mem")) std::filesystem::create_symlink("/proc/self/mem", path);
    if (damage == U("loop")) std::filesystem::create_symlink(path, path);
    if (damage == U("binary")) cat->WriteBytes(file.toStdString(), std::string("\0\xff<\r|(", 7));
    if (damage == U("huge")) {
      cat->WriteBytes(file.toStdString(),
                      "Nokia|1100|" + std::string(std::size_t{5} << 20, '(') + "\r\n");
    }
    const std::string before = CatalogueSnapshot(cat->root());
    WindowUnderTest damaged(*cat);
    damaged.Find<QComboBox>("brands")->setCurrentIndex(1);
    damaged.Select("models", 0);
    damaged.ChooseFromMenu("models", "Посмотреть описание");
    QCOMPARE(damaged.browser.shown.back(), cat->Path("Templates/temp.html"));
    QCOMPARE(CatalogueSnapshot(cat->root()), before);
  }

  // "Новинки": newest file first, the step buttons offer only possible moves, a reload after
  // an update shows the newest file again.
  void newModelsPanel() {
    cat->WriteText("updates/upd010106.new", "Nokia 3310\r\n");
    cat->WriteText("updates/upd150306.new", "Nokia 6230 *\r\nNokia E61 *\r\n");
    cat->WriteText("updates/upd311205.new", "Siemens C55\r\n");
    WindowUnderTest panel(*cat);
    QLabel* date = panel.Find<QLabel>("date");
    auto* older = panel.Find<QToolButton>("older");
    auto* newer = panel.Find<QToolButton>("newer");
    struct Step {
      const char* date;
      QStringList rows;
      bool older, newer;
    };
    const Step steps[] = {{"15.03.06", {U("Nokia 6230 *"), U("Nokia E61 *")}, true, false},
                          {"01.01.06", {U("Nokia 3310")}, true, true},
                          {"31.12.05", {U("Siemens C55")}, false, true}};
    for (const Step& step : steps) {
      QCOMPARE(date->text(), U(step.date));
      QCOMPARE(panel.Rows("newModels"), step.rows);
      QCOMPARE(!older->isHidden(), step.older);
      QCOMPARE(!newer->isHidden(), step.newer);
      if (step.older) QTest::mouseClick(older, Qt::LeftButton);
    }
    QTest::mouseClick(newer, Qt::LeftButton);
    QCOMPARE(date->text(), U("01.01.06"));

    panel.Select("newModels", 0);
    panel.ChooseFromMenu("newModels", "Посмотреть описание");
    QCOMPARE(cat->ReadBytes("Templates/temp.html"), std::string("Nokia 3310|45 $\r\n"));

    cat->WriteText("updates/upd010706.new", "Fly SX210 *\r\n");
    panel.Reload();
    QCOMPARE(date->text(), U("01.07.06"));
    QCOMPARE(panel.Rows("newModels"), QStringList{U("Fly SX210 *")});
  }

  // The window shows its start page before a slow catalogue load has ended, with its lists
  // empty and the wizard waiting, and fills in when the data is ready.
  void showsBeforeASlowLoadAndFillsInAfterwards() {
    std::atomic<bool> release{false};
    WindowUnderTest slow(*cat, [&release] {
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    ShowWindow(slow);
    QCOMPARE(slow.browser.shown, std::vector<std::string>{cat->Path("Templates/index.html")});
    QCOMPARE(slow.Find<QComboBox>("brands")->count(), 0);
    QVERIFY(slow.Rows("models").isEmpty());
    QVERIFY(!slow.Find<QPushButton>("next")->isEnabled() ||
            !slow.Find<QWidget>("next")->isEnabledTo(slow.window.get()));
    // The lists come with the first page's counts; the wizard answers once the entries of every
    // page have been read.
    bool answers_with_lists = true;
    QString count_with_lists;
    QObject::connect(slow.window.get(), &trubkom::app::MainWindow::listsShown, [&] {
      answers_with_lists = slow.Find<QWidget>("next")->isEnabledTo(slow.window.get());
      count_with_lists = AnswerRows(slow)[0]->count();
    });
    release = true;
    slow.WaitForLoad();
    QVERIFY(!answers_with_lists);
    QCOMPARE(count_with_lists, U("2"));
    QCOMPARE(slow.Find<QComboBox>("brands")->count(), 3);
    QCOMPARE(slow.Rows("models"), QStringList{U("SX210 *")});
    QVERIFY(slow.Find<QWidget>("next")->isEnabledTo(slow.window.get()));
    QCOMPARE(AnswerRows(slow)[0]->count(), U("2"));
  }

  // What the last run left is taken up, whether the catalogue has been read by then or not,
  // and what this run leaves is what the user set.
  void remembersBetweenRuns_data() {
    QTest::addColumn<bool>("before_the_load");
    QTest::newRow("after the load") << false;
    QTest::newRow("before the load") << true;
  }
  void remembersBetweenRuns() {
    QFETCH(bool, before_the_load);
    trubkom::app::RememberedState last;
    last.geometry = QRect(100, 120, 900, 600);
    last.column_widths = {260, 400, 200};
    last.brand = U("Nokia");
    last.full_only = true;
    // A model another catalogue had: dropped, and said.
    last.basket = {{trubkom::testing::W("Nokia 3310"), "1500"},
                   {trubkom::testing::W("Motorola V3"), "900"}};
    last.use_proxy = true;
    last.proxy = U("10.0.0.1:3128");
    last.local_folder = U("/tmp/Пакеты");
    std::atomic<bool> release{!before_the_load};
    WindowUnderTest again(*cat, [&release] {
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    if (!before_the_load) again.WaitForLoad();
    again.window->Restore(last);
    release = true;
    if (before_the_load) again.WaitForLoad();

    QCOMPARE(again.window->geometry(), QRect(100, 120, 900, 600));
    // The side columns keep their widths; the browser area takes what the window has left.
    QList<int> widths = again.Find<QSplitter>("columns")->sizes();
    QCOMPARE(widths.size(), 3);
    QCOMPARE(widths[0], 260);
    QCOMPARE(widths[2], 200);
    QCOMPARE(again.Find<QComboBox>("brands")->currentText(), U("Nokia"));
    QVERIFY(again.Find<QCheckBox>("fullOnly")->isChecked());
    QCOMPARE(again.Rows("models"), (QStringList{U("6230 *"), U("E61 *")}));
    QCOMPARE(again.Rows("basket"), QStringList{U("Nokia 3310")});
    QVERIFY(again.Find<QLabel>("hintBar")->text().contains(U("Motorola V3")));
    QVERIFY(again.window->update_dialog()->findChild<QCheckBox*>(U("useProxy"))->isChecked());

    again.Find<QComboBox>("brands")->setCurrentIndex(0);  // Fly
    again.Select("models", 0);
    again.ChooseFromMenu("models", "Добавить в корзину");
    trubkom::app::RememberedState left = again.window->Remembered();
    QCOMPARE(left.geometry, last.geometry);
    QCOMPARE(left.column_widths, widths);
    QCOMPARE(left.brand, U("Fly"));
    QVERIFY(left.full_only);
    QCOMPARE(left.basket.size(), std::size_t{2});
    QCOMPARE(left.basket[1].model, trubkom::testing::W("Fly SX210 *"));
    QVERIFY(left.use_proxy);
    QCOMPARE(left.proxy, last.proxy);
    QCOMPARE(left.local_folder, last.local_folder);
  }

  void contextMenus_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("models") << U("models")
                            << QStringList{U("Добавить в корзину"), U("Посмотреть описание")};
    QTest::newRow("basket") << U("basket")
                            << QStringList{U("Удалить из списка"), U("Посмотреть описание"),
                                           U("Очистить корзину")};
    QTest::newRow("results") << U("results") << QStringList{U("Добавить в корзину")};
    QTest::newRow("new models") << U("newModels")
                                << QStringList{U("Добавить в корзину"), U("Посмотреть описание")};
  }
  void contextMenus() {
    QFETCH(QString, list);
    QFETCH(QStringList, items);
    QMenu* menu = w->window->findChild<QTreeWidget*>(list)->findChild<QMenu*>();
    QVERIFY(menu != nullptr);
    QStringList captions;
    for (QAction* action : menu->actions()) captions << action->text();
    QCOMPARE(captions, items);
  }

  void reloadKeepsBasketAndTheIndexWhenItIsGone() {
    w->Find<QComboBox>("brands")->setCurrentIndex(2);  // Siemens
    w->Select("models", 0);
    w->ChooseFromMenu("models", "Добавить в корзину");
    std::filesystem::remove(cat->Path("Base/base.tkm"));
    cat->WriteText("Base/motorola_new.xml", "<brand><model><Model>V3</Model></model></brand>");
    w->Reload();
    QComboBox* brands = w->Find<QComboBox>("brands");
    QCOMPARE(brands->count(), 4);  // the index that was loaded is kept
    QCOMPARE(brands->currentText(), U("Siemens"));
    QCOMPARE(w->Rows("models"), QStringList{U("C55")});
    QCOMPARE(w->Rows("basket"), QStringList{U("Siemens C55")});
    QVERIFY(w->messages.texts.empty());
  }

  // After the update dialog, with or without an update, the user's place is kept: the brand,
  // the current rows of the models list and of "Новинки", the page on show, the basket and the
  // wizard's answers; a model the update removed drops out, and the wizard's list and counts are
  // those of the new index.
  void reloadKeepsThePlace_data() {
    QTest::addColumn<bool>("removed");  // the update removed Nokia 6230
    QTest::newRow("nothing new") << false;
    QTest::newRow("a model removed") << true;
  }
  void reloadKeepsThePlace() {
    QFETCH(bool, removed);
    cat->WriteText("updates/upd010106.new", "Nokia 3310\r\n");
    cat->WriteText("updates/upd150306.new", "Nokia 6230 *\r\nNokia E61 *\r\n");
    w->Reload();
    QTest::mouseClick(w->Find<QToolButton>("older"), Qt::LeftButton);
    w->Select("newModels", 0);
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    for (int row : {1, 2}) {
      w->Select("models", row);
      w->ChooseFromMenu("models", "Добавить в корзину");
    }
    ShowListedModel(*w, U("6230 *"));
    Answers(*w)[0]->setChecked(true);  // "Да": 6230 and E61
    w->Click("next");
    Answers(*w)[6]->setChecked(true);  // "Все равно", not confirmed yet
    std::size_t pages = w->browser.shown.size();
    if (removed) {
      cat->WriteText(
          "Base/nokia_new.xml",
          "<brand><model><Model>3310</Model><Price>45</Price></model><model><Model>1100</Model>"
          "</model></brand>");
      cat->WriteText("Base/base.tkm", "Nokia|E61|48(0)|51(2)\r\nFly|SX210|48(1)|51(0)\r\n");
    }
    w->Reload();

    QCOMPARE(w->Find<QComboBox>("brands")->currentText(), U("Nokia"));
    QTreeWidgetItem* current = w->List("models")->currentItem();
    QCOMPARE(current ? current->text(0) : QString(), removed ? QString() : U("6230 *"));
    QCOMPARE(w->browser.shown.size(), pages);
    QCOMPARE(w->window->state().model_on_show.model, removed ? std::string() : "6230 *");
    QCOMPARE(w->Find<QLabel>("date")->text(), U("01.01.06"));
    QCOMPARE(w->List("newModels")->currentItem()->text(0), U("Nokia 3310"));
    QCOMPARE(w->Rows("basket"), removed ? QStringList{U("Nokia 3310")}
                                        : (QStringList{U("Nokia 3310"), U("Nokia 6230 *")}));
    QCOMPARE(w->window->wizard().page(), 1);
    QVERIFY(Answers(*w)[6]->isChecked());
    QStringList results =
        removed ? QStringList{U("Nokia E61 *")} : QStringList{U("Nokia 6230 *"), U("Nokia E61 *")};
    QCOMPARE(w->Rows("results"), results);
    QCOMPARE(w->Find<QLabel>("count")->text(),
             U("Подходящие модели: ") + QString::number(results.size()));
    QCOMPARE(AnswerRows(*w).last()->count(), QString::number(results.size()));
  }

  // Enter opens the page of the current row in every list, as a double click does.
  void enterOpensTheCurrentRow_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("page");  // how the page file begins
    QTest::newRow("models") << U("models") << U("Nokia 6230\r\n");
    QTest::newRow("basket") << U("basket") << U("Nokia 3310|");
    QTest::newRow("results") << U("results") << U("Nokia E61\r\n");
    QTest::newRow("new models") << U("newModels") << U("Nokia 1100|");
  }
  void enterOpensTheCurrentRow() {
    QFETCH(QString, list);
    QFETCH(QString, page);
    cat->WriteText("updates/upd010106.new", "Nokia 3310\r\nNokia 1100\r\n");
    w->Reload();
    w->Find<QComboBox>("brands")->setCurrentIndex(1);
    w->Select("models", 1);
    w->ChooseFromMenu("models", "Добавить в корзину");
    Answers(*w)[0]->setChecked(true);  // "Да"
    w->Click("next");
    QTreeWidget* tree = w->List(qPrintable(list));
    int row = tree->topLevelItemCount() - 1;
    if (list == U("models")) row = 2;
    tree->setCurrentItem(tree->topLevelItem(row));
    std::size_t pages = w->browser.shown.size();
    QTest::keyClick(tree, Qt::Key_Return);
    QCOMPARE(w->browser.shown.size(), pages + 1);
    QCOMPARE(QString::fromStdString(cat->ReadBytes("Templates/temp.html")).left(page.size()), page);
  }

  // A cell cut short by its column shows its whole text as a tooltip, in every list, as plain text
  // (markup in a model's name is shown, never followed); a cell shown whole shows none. The last
  // column of each list reaches the list's right edge.
  void cutRowsShowTheirWholeText_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("whole");
    QTest::addColumn<QString>("shown_whole");  // a short row of the same list
    const QString model = U("6230 Classic <img src=/etc/x> Special Edition Phone");
    QTest::newRow("models") << U("models") << model + U(" *") << U("3310");
    QTest::newRow("basket") << U("basket") << U("Nokia ") + model + U(" *") << U("Nokia 3310");
    QTest::newRow("results") << U("results") << U("Nokia ") + model + U(" *") << U("Nokia E61 *");
    QTest::newRow("new models") << U("newModels") << U("Nokia ") + model << U("Nokia 3310");
  }
  void cutRowsShowTheirWholeText() {
    QFETCH(QString, list);
    QFETCH(QString, whole);
    QFETCH(QString, shown_whole);
    cat->WriteText("Base/nokia_new.xml",
                   "<brand><model><Model>3310</Model></model><model><Model>6230 Classic &lt;img "
                   "src=/etc/x&gt; Special Edition Phone</Model></model></brand>");
    cat->WriteText("Base/base.tkm",
                   "Nokia|6230 Classic <img src=/etc/x> Special Edition Phone|48(0)\r\n"
                   "Nokia|E61|48(0)\r\n");
    cat->WriteText("updates/upd010106.new",
                   "Nokia 6230 Classic <img src=/etc/x> Special Edition Phone\r\nNokia 3310\r\n");
    w->Reload();
    ShowWindow(*w);
    w->Find<QComboBox>("brands")->setCurrentIndex(0);
    w->Select("models", 0);
    w->ChooseFromMenu("models", "Добавить в корзину");
    w->Select("models", 1);
    w->ChooseFromMenu("models", "Добавить в корзину");
    Answers(*w)[0]->setChecked(true);  // "Да"
    w->Click("next");
    QTreeWidget* tree = w->List(qPrintable(list));
    QTRY_VERIFY(tree->isVisible());
    auto tooltip = [tree](const QString& text) {
      QTreeWidgetItem* item = tree->findItems(text, Qt::MatchStartsWith).value(0);
      if (!item) return U("no row ") + text;
      QRect rect = tree->visualItemRect(item);
      QPoint at(rect.left() + 5, rect.center().y());
      QHelpEvent help(QEvent::ToolTip, at, tree->viewport()->mapToGlobal(at));
      QCoreApplication::sendEvent(tree->viewport(), &help);
      return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tooltip(shown_whole), QString());
    const QString tip = tooltip(whole);
    QCOMPARE(QTextDocumentFragment::fromHtml(tip).toPlainText(), whole);
    QVERIFY2(!tip.contains(U("<img")), qPrintable(tip));
    QHeaderView* header = tree->header();
    int last = header->count() - 1;
    QCOMPARE(header->sectionViewportPosition(last) + header->sectionSize(last),
             tree->viewport()->width());
  }

  // Message boxes carry the icon of what they say, are wide enough for their caption, and show
  // their text as it stands: a file name or an update's message with markup never becomes a
  // link or a picture.
  void messageBoxesHaveTheirIcons_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::newRow("information") << 0 << int(QMessageBox::Information);
    QTest::newRow("warning") << 1 << int(QMessageBox::Warning);
    QTest::newRow("question") << 2 << int(QMessageBox::Question);
  }
  void messageBoxesHaveTheirIcons() {
    QFETCH(int, kind);
    QFETCH(int, icon);
    trubkom::app::QtMessages messages;
    int shown_icon = -1;
    int width = 0;
    int needed = 0;
    Qt::TextFormat format = Qt::AutoText;
    QTimer closer;
    connect(&closer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      shown_icon = box->icon();
      format = box->textFormat();
      width = box->width();
      needed = box->fontMetrics().horizontalAdvance(box->windowTitle()) + 100;
      box->button(QMessageBox::Ok)->click();
    });
    closer.start(10);
    const std::string text =
        trubkom::testing::W("<a href=smb:evil.invalid>Обновить цены.prc</a><img src=pipe>");
    if (kind == 0) messages.Inform(text);
    if (kind == 1) messages.Warn(text);
    if (kind == 2) messages.Confirm(text);
    QCOMPARE(shown_icon, icon);
    QCOMPARE(format, Qt::PlainText);
    QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
  }

  void wizardRun() {
    ShowWindow(*w);
    QPushButton* next = w->Find<QPushButton>("next");
    QLabel* count = w->Find<QLabel>("count");
    Answers(*w)[0]->setChecked(true);  // "Да"
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w->Rows("results"), (QStringList{U("Nokia 6230 *"), U("Nokia E61 *")}));
    QCOMPARE(count->text(), U("Подходящие модели: 2"));
    QCOMPARE(Answers(*w).size(), 7);
    QVERIFY(next->isEnabled());
    QList<trubkom::app::AnswerRow*> rows = AnswerRows(*w);
    QCOMPARE(rows[0]->y(), 89);
    QCOMPARE(next->y(), rows.last()->y() + 30);
    for (int i = 1; i < rows.size(); ++i) {
      QCOMPARE(rows[i]->y(), rows[i - 1]->y() + rows[i - 1]->height());  // a caption may wrap
    }

    // A double click on a result shows its full page.
    DoubleClickRow(w->List("results"), 1);
    QVERIFY(cat->ReadBytes("Templates/temp.html").starts_with("Nokia E61\r\n"));
    w->ChooseFromMenu("results", "Добавить в корзину");
    QCOMPARE(w->List("basket")->topLevelItem(0)->text(0), U("Nokia E61 *"));
    QCOMPARE(w->List("basket")->topLevelItem(0)->text(1), QString());

    Answers(*w)[1]->setChecked(true);  // "Раскладушка"
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w->Rows("results"), QStringList{U("Nokia E61 *")});

    Answers(*w)[0]->setChecked(true);  // "Цветной": E61 has no screen entry
    QTest::mouseClick(next, Qt::LeftButton);
    QVERIFY(w->Rows("results").isEmpty());
    QCOMPARE(count->text(), U("Подходящие модели: 0"));
    QVERIFY(!next->isEnabled());

    QTest::mouseClick(w->Find<QPushButton>("clear"), Qt::LeftButton);
    QVERIFY(next->isEnabled());
    QCOMPARE(w->window->wizard().page(), 0);
    QCOMPARE(Answers(*w).size(), 3);
    QVERIFY(w->window->wizard().answers().answer_history().empty());
  }

  // "Пока не знаю", or ">>" without an answer, sets no condition: every model stays, and the
  // counts beside the answers, before and after, are those of the lists the answers give.
  void noAnswerKeepsEveryModel_data() {
    QTest::addColumn<int>("answer");
    QTest::newRow("no answer") << -1;
    QTest::newRow("Пока не знаю") << 2;
  }
  void noAnswerKeepsEveryModel() {
    QFETCH(int, answer);
    QPushButton* next = w->Find<QPushButton>("next");
    QCOMPARE(AnswerRows(*w)[2]->count(), U("3"));
    if (answer >= 0) Answers(*w)[answer]->setChecked(true);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w->Rows("results"),
             (QStringList{U("Fly SX210 *"), U("Nokia 6230 *"), U("Nokia E61 *")}));
    QCOMPARE(w->Find<QLabel>("count")->text(), U("Подходящие модели: 3"));
    QVERIFY(next->isEnabled());
    QCOMPARE(Answers(*w).size(), 7);
    QCOMPARE(AnswerRows(*w).last()->count(), U("3"));  // "Все равно"
    QCOMPARE(AnswerRows(*w)[0]->count(), U("2"));      // "Классический"
  }

  void wizardCheckBoxesAndLastPage() {
    QPushButton* next = w->Find<QPushButton>("next");
    Answers(*w)[1]->setChecked(true);  // "Нет": not a smartphone, Fly
    for (int page = 0; page < 11; ++page) QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w->Rows("results"), QStringList{U("Fly SX210 *")});
    QList<QAbstractButton*> answers = Answers(*w);
    QCOMPARE(answers.size(), 7);
    QVERIFY(qobject_cast<QCheckBox*>(answers[0]) != nullptr);
    answers[0]->setChecked(true);
    answers[1]->setChecked(true);
    QCOMPARE(w->window->wizard().page(), 11);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(w->window->wizard().answers().wizard_criteria(),
             std::string("!48(0)^[33(22;42)%37(200;277-284;312;333;426;428;429;464;488;489;492;"
                         "496;510;551)]^15(0-29)^"));
    QVERIFY(w->Rows("results").isEmpty());
    QCOMPARE(w->window->wizard().page(), 12);
    QVERIFY(Answers(*w).isEmpty());
    QVERIFY(!next->isEnabled());
    QCOMPARE(next->y(), 97);
  }

 private:
  std::unique_ptr<TempCatalogue> cat;
  std::unique_ptr<WindowUnderTest> w;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
