#pragma once

#include <QWebEngineView>
#include <functional>

#include "catalogue/folders.h"
#include "common/ports.h"

namespace trubkom::app {

class RealClicks;

// The browser area: shows pages of the catalogue, offline, without page script and without
// dialogs. Pages are made from data that may come from anyone, so they load only files of the
// catalogue's and the program's folders (see PageReach), and only a web or mail link the user
// really clicks is handed to open_outside (the desktop). Every page shown starts at its top,
// even when its file is the one shown before.
class WebBrowser : public QWebEngineView, public common::Browser {
  Q_OBJECT
 public:
  using OpenOutside = std::function<void(const QUrl&)>;
  explicit WebBrowser(const catalogue::Folders& folders, OpenOutside open_outside = {},
                      QWidget* parent = nullptr);
  // The page goes before its profile, which must outlive every page of its own.
  ~WebBrowser() override;

  void ShowFile(const std::string& path) override;
  void ShowAddress(const std::string& address) override;
  void Stop() override;

 protected:
  void childEvent(QChildEvent* event) override;

 private:
  void ShowLocal(QUrl url);

  RealClicks* clicks_;
  int pages_shown_ = 0;
};

// The engine's switches, set before the application object is made: WebRTC sends nothing past
// a proxy (there is none, so nothing at all), the engine's own log keeps to fatal errors, and
// run as root (where the engine refuses to start with its sandbox on) the sandbox is off. Every
// program and widget test that opens a browser view sets them here and nowhere else.
void SetBrowserEngineSwitches();

}  // namespace trubkom::app
