#pragma once

#include <QWebEnginePage>
#include <QWebEngineUrlRequestInterceptor>
#include <functional>
#include <string>
#include <vector>

namespace trubkom::app {

class RealClicks;

// What the pages of the browser area may reach. Pages are filled templates, brand files and
// price lists that may come from anyone, so they load files of the folders alone (see
// common::UseOfAddress), and only a web or mail link the user has just clicked leaves, for the
// desktop.
struct PageReach {
  std::vector<std::string> folders;               // the catalogue's and the program's
  std::function<void(const QUrl&)> open_outside;  // the desktop's opener; none: nothing leaves
  RealClicks* clicks = nullptr;                   // the user's clicks in the view
};

// Whether the view goes to url. A web or mail address goes to open_outside instead, when the
// user's click in the main frame asked for it, once for that click; every refusal is logged
// (each address once), never shown.
bool AcceptNavigation(const QUrl& url, QWebEnginePage::NavigationType type, bool main_frame,
                      const PageReach& reach);

// Refuses every request of the pages (pictures, frames, style sheets, any fetch) that is not for
// a file of the folders or inline content: nothing reaches a server, nothing outside is read.
class ConfinedRequests : public QWebEngineUrlRequestInterceptor {
 public:
  ConfinedRequests(std::vector<std::string> folders, QObject* parent)
      : QWebEngineUrlRequestInterceptor(parent), folders_(std::move(folders)) {}
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;

 private:
  std::vector<std::string> folders_;
};

}  // namespace trubkom::app
