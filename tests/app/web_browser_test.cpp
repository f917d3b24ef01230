// The browser area: local pages load offline, web addresses never reach the network.
#include "app/web_browser.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWidget>

#include "app/real_clicks.h"
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

    // A web address is not shown in the browser area: a local page asked for after it loads,
    // and the web address was never on its way in between.
    cat.WriteBytes("Templates/after.html", "<html><body>after</body></html>");
    QSignalSpy addresses(&browser, &WebBrowser::urlChanged);
    browser.ShowAddress("http://198.51.100.1/");
    QVERIFY(WaitForPage(browser, [&] { browser.ShowFile(cat.Path("Templates/after.html")); }));
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/after.html"));
    for (const QList<QVariant>& changed : addresses) {
      QCOMPARE(changed.at(0).toUrl().scheme(), QStringLiteral("file"));
    }
  }

  // A page's link leaves for the desktop only on the user's own click, and one click opens one
  // address at most: the click is used up by the first navigation it allows.
  void aRealClickIsUsedOnce_data() {
    QTest::addColumn<int>("event");  // 0 none, 1 a mouse button let go, 2 Enter, 3 a letter
    QTest::addColumn<bool>("first");
    QTest::newRow("no click") << 0 << false;
    QTest::newRow("mouse") << 1 << true;
    QTest::newRow("Enter") << 2 << true;
    QTest::newRow("a letter") << 3 << false;
  }
  void aRealClickIsUsedOnce() {
    QFETCH(int, event);
    QFETCH(bool, first);
    QWidget widget;
    trubkom::app::RealClicks clicks;
    clicks.Watch(&widget);
    if (event == 1) QTest::mouseRelease(&widget, Qt::LeftButton);
    if (event == 2) QTest::keyClick(&widget, Qt::Key_Return);
    if (event == 3) QTest::keyClick(&widget, Qt::Key_A);
    QCOMPARE(clicks.Take(), first);
    QCOMPARE(clicks.Take(), false);
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
    QSignalSpy addresses(&browser, &WebBrowser::urlChanged);
    browser.ShowFile(cat.Path("adv"));
    browser.ShowAddress("file://" + cat.Path("adv") + "/");
    QVERIFY(ClickInPage(browser, "folder"));
    // The web link's click comes after: once it has gone out, the folder's was decided.
    QVERIFY(ClickInPage(browser, "web"));
    QTRY_COMPARE(outside, QList<QUrl>{QUrl(QStringLiteral("https://trubkom.example/"))});
    QCOMPARE(addresses.count(), 0);
    QCOMPARE(WithoutQuery(browser.url()), FileUrl(cat, "Templates/temp.html"));
  }
};

QTEST_MAIN(WebBrowserTest)
#include "web_browser_test.moc"
