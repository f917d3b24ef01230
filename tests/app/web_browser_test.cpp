// The browser area: local pages load offline, web addresses never reach the network.
#include "app/web_browser.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

#include "support/temp_catalogue.h"

using trubkom::app::WebBrowser;

class WebBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void showsLocalPagesAndBlocksTheWeb() {
    trubkom::testing::TempCatalogue cat;
    cat.WriteBytes("Templates/temp.html",
                   "<html><body><img src=\"http://198.51.100.1/x.png\">page</body></html>");
    WebBrowser browser;
    QVERIFY(!browser.acceptDrops());
    QSignalSpy loaded(&browser, &WebBrowser::loadFinished);
    browser.ShowFile(cat.Path("Templates/temp.html"));
    QVERIFY(loaded.wait(60000));
    QCOMPARE(loaded.at(0).at(0).toBool(), true);
    QCOMPARE(browser.url(),
             QUrl::fromLocalFile(QString::fromStdString(cat.Path("Templates/temp.html"))));

    QString text;
    browser.page()->toPlainText([&text](const QString& t) { text = t; });
    QTRY_COMPARE_WITH_TIMEOUT(text, QStringLiteral("page"), 10000);

    // A web address is not shown in the browser area.
    loaded.clear();
    browser.ShowAddress("http://198.51.100.1/");
    QTest::qWait(500);
    QCOMPARE(browser.url(),
             QUrl::fromLocalFile(QString::fromStdString(cat.Path("Templates/temp.html"))));
  }
};

QTEST_MAIN(WebBrowserTest)
#include "web_browser_test.moc"
