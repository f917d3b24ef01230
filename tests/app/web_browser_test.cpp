// The browser area: local pages load offline, web addresses never reach the network.
#include "app/web_browser.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>

#include "app_test_support.h"
#include "support/temp_catalogue.h"

using trubkom::app::WebBrowser;
using trubkom::testing::ClickInPage;
using trubkom::testing::RunInPage;
using trubkom::testing::WaitForPage;

namespace {

QUrl WithoutQuery(const QUrl& url) { return url.adjusted(QUrl::RemoveQuery); }

QUrl FileUrl(const trubkom::testing::TempCatalogue& cat, const char* relative) {
  return QUrl::fromLocalFile(QString::fromStdString(cat.Path(relative)));
}

}  // namespace

class WebBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void showsLocalPagesAndBlocksTheWeb() {
    trubkom::testing::TempCatalogue cat;
    cat.WriteBytes("Templates/temp.html",
                   "<html><body><img src=\"http://198.51.100.1/x.png\">page</body></html>");
    WebBrowser browser(cat.folders());
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
    WebBrowser browser(cat.folders());
    browser.resize(400, 300);
    browser.show();
    QVERIFY(WaitForPage(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    QVERIFY(RunInPage(browser, QStringLiteral("window.scrollTo(0, 3000)")));
    QTRY_VERIFY(RunInPage(browser, QStringLiteral("window.scrollY")).value_or(0).toInt() > 0);
    QVERIFY(WaitForPage(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    // The page must answer: a page that never runs the script would read as scrolled to 0.
    std::optional<QVariant> scrolled = RunInPage(browser, QStringLiteral("window.scrollY"));
    QVERIFY(scrolled);
    QCOMPARE(scrolled->toInt(), 0);
  }

  // A folder is never shown, whether asked for or linked from a page; web links the user clicks
  // in a page go to the desktop.
  void foldersAreNotShownAndWebLinksLeave() {
    trubkom::testing::TempCatalogue cat;
    cat.WriteBytes("Templates/temp.html",
                   "<html><body><a id=\"folder\" href=\"../adv/\">adv</a><br>"
                   "<a id=\"web\" href=\"https://trubkom.example/\">web</a></body></html>");
    cat.WriteBytes("adv/page.html", "<html></html>");
    QList<QUrl> outside;
    WebBrowser browser(cat.folders(), [&outside](const QUrl& url) { outside << url; });
    browser.resize(400, 300);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser));
    QVERIFY(WaitForPage(browser, [&] { browser.ShowFile(cat.Path("Templates/temp.html")); }));
    browser.ShowFile(cat.Path("adv"));
    browser.ShowAddress("file://" + cat.Path("adv") + "/");
    QVERIFY(ClickInPage(browser, "folder"));
    QTest::qWait(500);
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
    QVERIFY(ClickInPage(browser, "web"));
    QTRY_COMPARE(outside, QList<QUrl>{QUrl(QStringLiteral("https://trubkom.example/"))});
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
  }
};

QTEST_MAIN(WebBrowserTest)
#include "web_browser_test.moc"
