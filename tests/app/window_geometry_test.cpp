// Where the window opens: a table of screens and scales for the fitting, and the real window on
// the test's 1280x1024 screen at scale 2 (this test sets QT_SCALE_FACTOR=2 for itself).
#include "app/window_geometry.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "app_test_support.h"

using trubkom::app::FitWindow;

namespace {

// A screen's available area in device-independent pixels: its pixels divided by the scale,
// less a panel of panel_height pixels along its top.
QRect Area(QSize pixels, double scale, int panel_height = 0) {
  QRect area(0, 0, static_cast<int>(pixels.width() / scale),
             static_cast<int>(pixels.height() / scale));
  area.setTop(panel_height);
  return area;
}

}  // namespace

class WindowGeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void fitting_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("scale");
    QTest::addColumn<QRect>("remembered");  // empty: the first start
    QTest::addColumn<QRect>("expected");
    const QSize small(1280, 1024), laptop(1366, 768), full_hd(1920, 1080), large(3840, 2160);
    const QRect first;
    QTest::newRow("small, 1") << small << 1.0 << first << QRect(152, 247, 993, 680);
    QTest::newRow("small, 1.5") << small << 1.5 << first << QRect(0, 1, 853, 680);
    QTest::newRow("small, 2") << small << 2.0 << first << QRect(0, 0, 640, 512);
    QTest::newRow("laptop, 1") << laptop << 1.0 << first << QRect(186, 44, 993, 680);
    QTest::newRow("laptop, 1.5") << laptop << 1.5 << first << QRect(0, 0, 910, 512);
    QTest::newRow("laptop, 2") << laptop << 2.0 << first << QRect(0, 0, 683, 384);
    QTest::newRow("full HD, 1") << full_hd << 1.0 << first << QRect(152, 247, 993, 680);
    QTest::newRow("full HD, 1.5") << full_hd << 1.5 << first << QRect(143, 20, 993, 680);
    QTest::newRow("full HD, 2") << full_hd << 2.0 << first << QRect(0, 0, 960, 540);
    QTest::newRow("large, 1.5") << large << 1.5 << first << QRect(152, 247, 993, 680);
    QTest::newRow("large, 2") << large << 2.0 << first << QRect(152, 247, 993, 680);
    // A remembered place inside the screen is kept; one partly outside (a screen smaller or
    // scaled up since) is cut down and moved in by as little as it takes.
    QTest::newRow("remembered inside")
        << full_hd << 1.0 << QRect(600, 300, 1000, 700) << QRect(600, 300, 1000, 700);
    QTest::newRow("remembered too low")
        << full_hd << 1.0 << QRect(600, 500, 1000, 700) << QRect(600, 380, 1000, 700);
    QTest::newRow("remembered, now scale 2")
        << full_hd << 2.0 << QRect(600, 300, 1000, 700) << QRect(0, 0, 960, 540);
    QTest::newRow("remembered on a screen gone")
        << small << 1.0 << QRect(2200, 100, 993, 680) << QRect(287, 100, 993, 680);
    QTest::newRow("remembered above the top")
        << small << 1.5 << QRect(-50, -80, 400, 300) << QRect(0, 0, 400, 300);
  }
  void fitting() {
    QFETCH(QSize, screen);
    QFETCH(double, scale);
    QFETCH(QRect, remembered);
    QFETCH(QRect, expected);
    QRect area = Area(screen, scale);
    std::optional<QRect> given;
    if (!remembered.isNull()) given = remembered;
    QRect fitted = FitWindow(given, area);
    QCOMPARE(fitted, expected);
    QVERIFY(area.contains(fitted));
    QVERIFY(area.contains(
        QRect(QPoint(), trubkom::app::FitMinimumSize(trubkom::app::kDesignMinimumSize, area))
            .translated(area.topLeft())));
  }

  // A panel along the top: the window opens below it.
  void belowAPanel() {
    QRect area = Area(QSize(1366, 768), 1.0, 28);
    QCOMPARE(FitWindow(std::nullopt, area), QRect(186, 58, 993, 680));
  }

  // A geometry taken at one scale keeps its size in the screen's pixels at another.
  void rescaled_data() {
    QTest::addColumn<QRect>("remembered");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("2 to 1") << QRect(10, 20, 640, 488) << 2.0 << 1.0 << QRect(20, 40, 1280, 976);
    QTest::newRow("1 to 2") << QRect(20, 40, 1280, 976) << 1.0 << 2.0 << QRect(10, 20, 640, 488);
    QTest::newRow("1.5 to 1") << QRect(0, 0, 800, 600) << 1.5 << 1.0 << QRect(0, 0, 1200, 900);
    QTest::newRow("the same") << QRect(5, 5, 900, 700) << 1.0 << 1.0 << QRect(5, 5, 900, 700);
    QTest::newRow("no scale") << QRect(5, 5, 900, 700) << 0.0 << 1.0 << QRect(5, 5, 900, 700);
  }
  void rescaled() {
    QFETCH(QRect, remembered);
    QFETCH(double, from);
    QFETCH(double, to);
    QFETCH(QRect, expected);
    QCOMPARE(trubkom::app::RescaledGeometry(remembered, from, to), expected);
  }

  // The window itself at scale 2: inside the screen, its minimum size too.
  void windowOnTheScaledScreen() {
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
    trubkom::testing::TempCatalogue cat;
    trubkom::testing::WriteSmallCatalogue(cat);
    trubkom::testing::WindowUnderTest w(cat);
    w.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
    QRect screen = w.window->screen()->availableGeometry();
    QVERIFY2(screen.contains(w.window->frameGeometry()),
             qPrintable(QStringLiteral("%1 %2 %3 %4 outside the screen")
                            .arg(w.window->frameGeometry().x())
                            .arg(w.window->frameGeometry().y())
                            .arg(w.window->frameGeometry().width())
                            .arg(w.window->frameGeometry().height())));
    QVERIFY(w.window->minimumWidth() <= screen.width());
    QVERIFY(w.window->minimumHeight() <= screen.height());
  }
};

int main(int argc, char** argv) {
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication application(argc, argv);
  WindowGeometryTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_geometry_test.moc"
