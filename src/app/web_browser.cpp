#include "app/web_browser.h"

#include <QFile>
#include <QFileInfo>
#include <QUrlQuery>
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

// A folder would be shown as a listing that lets the user walk the file system.
bool IsFolder(const QUrl& url) { return url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir(); }

// Pages of the catalogue are local; nothing they contain may reach the network.
class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!IsLocal(info.requestUrl()) || IsFolder(info.requestUrl())) info.block(true);
  }
};

// Local pages are shown in place; web links the user clicks leave for the desktop's browser.
// True when the browser area may go to the address.
bool Navigable(const QUrl& url, QWebEnginePage::NavigationType type,
               const WebBrowser::OpenOutside& open_outside) {
  if (IsLocal(url)) return !IsFolder(url);
  if (type == QWebEnginePage::NavigationTypeLinkClicked && open_outside) open_outside(url);
  return false;
}

// Receives a link meant for a new window (target="_blank") and hands it on.
class NewWindowCatcher : public QWebEnginePage {
 public:
  NewWindowCatcher(QWebEngineProfile* profile, QObject* parent,
                   const WebBrowser::OpenOutside& open_outside)
      : QWebEnginePage(profile, parent), open_outside_(open_outside) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool) override {
    if (Navigable(url, NavigationTypeLinkClicked, open_outside_)) {
      if (auto* view = qobject_cast<QWebEngineView*>(parent())) view->load(url);
    }
    deleteLater();
    return false;
  }

 private:
  WebBrowser::OpenOutside open_outside_;
};

// A page that shows no dialogs: script alerts, confirmations and prompts are answered silently.
class QuietPage : public QWebEnginePage {
 public:
  QuietPage(QWebEngineProfile* profile, QObject* parent, WebBrowser::OpenOutside open_outside)
      : QWebEnginePage(profile, parent), open_outside_(std::move(open_outside)) {}

 protected:
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
  QWebEnginePage* createWindow(WebWindowType) override {
    return new NewWindowCatcher(profile(), parent(), open_outside_);
  }
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override {
    return Navigable(url, type, open_outside_);
  }

 private:
  WebBrowser::OpenOutside open_outside_;
};

}  // namespace

WebBrowser::WebBrowser(OpenOutside open_outside, QWidget* parent) : QWebEngineView(parent) {
  auto* profile = new QWebEngineProfile(this);  // off the record: nothing kept on disk
  profile->setUrlRequestInterceptor(new OfflineInterceptor(profile));
  auto* page = new QuietPage(profile, this, std::move(open_outside));
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
  ShowLocal(QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path))));
}

void WebBrowser::ShowAddress(const std::string& address) {
  QUrl url(ToQt(address), QUrl::TolerantMode);
  if (url.isLocalFile()) {
    ShowLocal(url);
  } else if (Navigable(url, QWebEnginePage::NavigationTypeTyped, {})) {
    load(url);
  }
}

void WebBrowser::ShowLocal(QUrl url) {
  if (IsFolder(url)) return;
  // The page file keeps its name from page to page, and the engine would bring the new page
  // up at the old one's scroll position: a query of its own makes every showing a new page.
  url.setQuery(QStringLiteral("shown=%1").arg(++pages_shown_));
  load(url);
}

void WebBrowser::Stop() { stop(); }

}  // namespace trubkom::app
