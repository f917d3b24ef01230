#include "app/web_browser.h"

#include <unistd.h>

#include <QChildEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <memory>

#include "app/page_rules.h"
#include "app/quiet_page.h"
#include "app/real_clicks.h"
#include "app/text.h"

namespace trubkom::app {

namespace {

// One address opens at most once a second: a double click on a link is one wish, not two.
WebBrowser::OpenOutside OncePerSecond(WebBrowser::OpenOutside open) {
  struct Last {
    QUrl url;
    QElapsedTimer since;
  };
  auto last = std::make_shared<Last>();
  return [open = std::move(open), last](const QUrl& url) {
    if (last->url == url && last->since.isValid() && last->since.elapsed() < 1000) return;
    last->url = url;
    last->since.start();
    if (open) open(url);
  };
}

void SetQuietSettings(QWebEngineSettings* settings) {
  // Page script could read any file the pages may load and send it out through the desktop;
  // the pages are plain documents and need none.
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  // Without this a page loads no file at all, not even its own pictures, style sheet or frames;
  // with script off it gives script nothing, and ConfinedRequests keeps the files to the folders.
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::WebRTCPublicInterfacesOnly, true);
  settings->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
  settings->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
  settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
  settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  settings->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
}

}  // namespace

WebBrowser::WebBrowser(const catalogue::Folders& folders, OpenOutside open_outside, QWidget* parent)
    : QWebEngineView(parent), clicks_(new RealClicks(this)) {
  std::vector<std::string> shown_folders = {folders.working, folders.program};
  if (!folders.pages.empty()) shown_folders.push_back(folders.pages);
  auto* profile = new QWebEngineProfile(this);  // off the record: nothing kept on disk
  profile->setUrlRequestInterceptor(new ConfinedRequests(shown_folders, profile));
  connect(profile, &QWebEngineProfile::downloadRequested, this,
          [](QWebEngineDownloadRequest* download) { download->cancel(); });
  auto* page = new QuietPage(profile, this,
                             {shown_folders, OncePerSecond(std::move(open_outside)), clicks_});
  SetQuietSettings(page->settings());
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
  if (url.isLocalFile()) ShowLocal(url);
}

void WebBrowser::ShowLocal(QUrl url) {
  // The page file keeps its name from page to page, and the engine would bring the new page
  // up at the old one's scroll position: a query of its own makes every showing a new page.
  // Whether the file may be shown at all is the page's decision (AcceptNavigation).
  url.setQuery(QStringLiteral("shown=%1").arg(++pages_shown_));
  load(url);
}

void WebBrowser::Stop() { stop(); }

void WebBrowser::childEvent(QChildEvent* event) {
  QWebEngineView::childEvent(event);
  QObject* child = event->child();
  // The widgets that take the view's input come with the page's renderer.
  if (event->added() && child->isWidgetType()) clicks_->Watch(child);
  // The engine opens its dialogs on the view: a colour field's, which no page hook answers, and
  // those the page's hooks already answer "no" to. A dialog is polished just before it would be
  // shown: it stays off the screen and is cancelled as soon as it is open.
  auto* dialog = qobject_cast<QDialog*>(child);
  if (event->polished() && dialog) {
    dialog->setAttribute(Qt::WA_DontShowOnScreen);
    QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
  }
}

void SetBrowserEngineSwitches() {
  if (::geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--log-level")) flags += " --log-level=3";
  if (!flags.contains("--force-webrtc-ip-handling-policy")) {
    flags += " --force-webrtc-ip-handling-policy=disable_non_proxied_udp";
  }
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

}  // namespace trubkom::app
