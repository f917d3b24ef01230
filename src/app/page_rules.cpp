#include "app/page_rules.h"

#include "app/real_clicks.h"
#include "common/page_address.h"
#include "common/warnings.h"

namespace trubkom::app {

namespace {

common::AddressUse UseOf(const QUrl& url, const std::vector<std::string>& folders) {
  return common::UseOfAddress(url.toEncoded().toStdString(), folders);
}

// In the log, not to the user: a hostile page may ask again and again, and each address is
// logged once (common::Warn). Long addresses (inline data) are cut.
void LogRefusal(const QUrl& url) {
  constexpr qsizetype kShownBytes = 200;
  common::Warn("The browser area refused " + url.toEncoded().left(kShownBytes).toStdString());
}

}  // namespace

bool AcceptNavigation(const QUrl& url, QWebEnginePage::NavigationType type, bool main_frame,
                      const PageReach& reach) {
  switch (UseOf(url, reach.folders)) {
    case common::AddressUse::kShow:
      return true;
    case common::AddressUse::kDesktop:
      if (type == QWebEnginePage::NavigationTypeLinkClicked && main_frame && reach.open_outside &&
          reach.clicks && reach.clicks->Take()) {
        reach.open_outside(QUrl::fromEncoded(
            QByteArray::fromStdString(common::DesktopAddress(url.toEncoded().toStdString()))));
        return false;
      }
      break;
    case common::AddressUse::kRefuse:
      break;
  }
  LogRefusal(url);
  return false;
}

void ConfinedRequests::interceptRequest(QWebEngineUrlRequestInfo& info) {
  if (UseOf(info.requestUrl(), folders_) == common::AddressUse::kShow) return;
  LogRefusal(info.requestUrl());
  info.block(true);
}

}  // namespace trubkom::app
