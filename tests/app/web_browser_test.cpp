// The browser area: local pages load offline, web addresses never reach the network.
#include "app/web_browser.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <functional>

#include "support/temp_catalogue.h"

using trubkom::app::WebBrowser;

namespace {

QUrl WithoutQuery(const QUrl& url) { return url.adjusted(QUrl::RemoveQuery); }

QUrl FileUrl(const trubkom::testing::TempCatalogue& cat, const char* relative) {
  return QUrl::fromLocalFile(QString::fromStdString(cat.Path(relative)));
}

bool WaitForLoad(WebBrowser& browser, const std::function<void()>& start) {
  QSignalSpy loaded(&browser, &WebBrowser::loadFinished);
  start();
  return loaded.wait(60000) && loaded.at(0).at(0).toBool();
}

QVariant Evaluate(WebBrowser& browser, const QString& script) {
  QVariant result;
  bool done = false;
  browser.page()->runJavaScript(script, [&](const QVariant& value) {
    result = value;
    done = true;
  });
  (void)QTest::qWaitFor([&] { return done; }, 10000);
  return result;
}

}  // namespace

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
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));

    QString text;
    browser.page()->toPlainText([&text](const QString& t) { text = t; });
    QTRY_COMPARE_WITH_TIMEOUT(text, QStringLiteral("page"), 10000);

    // A web address is not shown in the browser area.
    loaded.clear();
    browser.ShowAddress("http://198.51.100.1/");
    QTest::qWait(500);
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
  }

  // The page file keeps its name from model to model; each new page still opens at its top.
  void everyPageStartsAtItsTop() {
    trubkom::testing::TempCatalogue cat;
    cat.WriteBytes("Templates/temp.html",
                   "<html><body><div style=\"height: 5000px\">tall</div></body></html>");
    WebBrowser browser;
    browser.resize(400, 300);
    browser.show();
    QVERIFY(WaitForLoad(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    Evaluate(browser, QStringLiteral("window.scrollTo(0, 3000)"));
    QTRY_VERIFY(Evaluate(browser, QStringLiteral("window.scrollY")).toInt() > 0);
    QVERIFY(WaitForLoad(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    QCOMPARE(Evaluate(browser, QStringLiteral("window.scrollY")).toInt(), 0);
  }

  // A folder is never shown, whether asked for or linked from a page; web links clicked in a
  // page go to the desktop.
  void foldersAreNotShownAndWebLinksLeave() {
    trubkom::testing::TempCatalogue cat;
    cat.WriteBytes("Templates/temp.html",
                   "<html><body><a id=\"folder\" href=\"../adv/\">adv</a>"
                   "<a id=\"web\" href=\"https://trubkom.example/\">web</a></body></html>");
    cat.WriteBytes("adv/page.html", "<html></html>");
    QList<QUrl> outside;
    WebBrowser browser([&outside](const QUrl& url) { outside << url; });
    QVERIFY(WaitForLoad(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    browser.ShowFile(cat.Path("adv"));
    browser.ShowAddress("file://" + cat.Path("adv") + "/");
    Evaluate(browser, QStringLiteral("document.getElementById('folder').click()"));
    QTest::qWait(500);
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
    Evaluate(browser, QStringLiteral("document.getElementById('web').click()"));
    QTRY_COMPARE(outside, QList<QUrl>{QUrl(QStringLiteral("https://trubkom.example/"))});
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
  }
};

QTEST_MAIN(WebBrowserTest)
#include "web_browser_test.moc"
