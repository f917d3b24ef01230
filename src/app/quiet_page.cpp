#include "app/quiet_page.h"

#include <QAuthenticator>
#include <QWebEngineCertificateError>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineQuotaRequest>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineView>

namespace trubkom::app {

namespace {

// Receives the first address of a window a link asked for (target="_blank") and decides it as a
// click in the main frame of the view: a page of the folders is shown in the view, a web or mail
// address the user clicked leaves for the desktop; inline content ("data:") a page made up is
// never shown in the view. Then it goes.
class NewWindowCatcher : public QWebEnginePage {
 public:
  NewWindowCatcher(QWebEngineProfile* profile, QWebEngineView* view, const PageReach& reach)
      : QWebEnginePage(profile, view), view_(view), reach_(reach) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool) override {
    if (url.scheme() != QStringLiteral("data") && AcceptNavigation(url, type, true, reach_)) {
      view_->load(url);
    }
    deleteLater();
    return false;
  }

 private:
  QWebEngineView* view_;
  PageReach reach_;
};

}  // namespace

QuietPage::QuietPage(QWebEngineProfile* profile, QWebEngineView* view, PageReach reach)
    : QWebEnginePage(profile, view), reach_(std::move(reach)) {
  RefuseRequests();
}

QWebEnginePage* QuietPage::createWindow(WebWindowType) {
  // A window that never asks for an address would leave its catcher: one at most is kept.
  if (catcher_) catcher_->deleteLater();
  catcher_ = new NewWindowCatcher(profile(), qobject_cast<QWebEngineView*>(parent()), reach_);
  return catcher_;
}

void QuietPage::RefuseRequests() {
  connect(this, &QWebEnginePage::featurePermissionRequested, this,
          [this](const QUrl& origin, Feature feature) {
            setFeaturePermission(origin, feature, PermissionDeniedByUser);
          });
  connect(this, &QWebEnginePage::fullScreenRequested,
          [](QWebEngineFullScreenRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::quotaRequested,
          [](QWebEngineQuotaRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::registerProtocolHandlerRequested,
          [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::fileSystemAccessRequested,
          [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
  connect(this, &QWebEnginePage::selectClientCertificate,
          [](QWebEngineClientCertificateSelection selection) { selection.selectNone(); });
  connect(this, &QWebEnginePage::certificateError,
          [](QWebEngineCertificateError error) { error.rejectCertificate(); });
  // An authenticator left null cancels the request.
  connect(this, &QWebEnginePage::authenticationRequired,
          [](const QUrl&, QAuthenticator* authenticator) { *authenticator = QAuthenticator(); });
  connect(this, &QWebEnginePage::proxyAuthenticationRequired,
          [](const QUrl&, QAuthenticator* authenticator, const QString&) {
            *authenticator = QAuthenticator();
          });
}

}  // namespace trubkom::app
