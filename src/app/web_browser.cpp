#include "app/web_browser.h"

#include <QDesktopServices>
#include <QFile>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>

#include "app/text.h"

namespace trubkom::app {

namespace {

bool IsLocal(const QUrl& url) {
  return url.isLocalFile() || url.scheme() == QLatin1String("data") ||
         url.scheme() == QLatin1String("qrc") || url.scheme() == QLatin1String("about");
}

// Pages of the catalogue are local; nothing they contain may reach the network.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!IsLocal(info.requestUrl())) info.block(true);
  }
};

// Web links leave the browser area for the desktop's browser.
bool OpenedOutside(const QUrl& url, QWebEnginePage::NavigationType type) {
  if (IsLocal(url)) return false;
  if (type == QWebEnginePage::NavigationTypeLinkClicked) QDesktopServices::openUrl(url);
  return true;
}

// Receives a link meant for a new window (target="_blank") and hands it on.
class NewWindowCatcher : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (!OpenedOutside(url, NavigationTypeLinkClicked)) {
      if (auto* view = qobject_cast<QWebEngineView*>(parent())) view->load(url);
    }
    deleteLater();
    return false;
  }
};

// A page that shows no dialogs: script alerts, confirmations and prompts are answered silently.
class QuietPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
  QWebEnginePage* createWindow(WebWindowType) override {
    return new NewWindowCatcher(profile(), parent());
  }
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override {
    return !OpenedOutside(url, type);
  }
};

}  // namespace

WebBrowser::WebBrowser(QWidget* parent) : QWebEngineView(parent) {
  auto* profile = new QWebEngineProfile(this);  // off the record: nothing kept on disk
  profile->setUrlRequestInterceptor(new OfflineInterceptor(profile));
  auto* page = new QuietPage(profile, this);
  QWebEngineSettings* settings = page->settings();
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  setPage(page);
  setAcceptDrops(false);
  setContextMenuPolicy(Qt::NoContextMenu);
}

WebBrowser::~WebBrowser() { delete page(); }

void WebBrowser::ShowFile(const std::string& path) {
  load(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
}

void WebBrowser::ShowAddress(const std::string& address) {
  load(QUrl(ToQt(address), QUrl::TolerantMode));
}

void WebBrowser::Stop() { stop(); }

}  // namespace trubkom::app
