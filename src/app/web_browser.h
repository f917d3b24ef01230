#pragma once

#include <QWebEngineView>
#include <functional>

#include "common/ports.h"

namespace trubkom::app {

// The browser area: shows local pages, offline and quiet. No dialogs of its own, no drops,
// no folder listings; a web link the user clicks is handed to open_outside (the desktop's
// browser). Every page shown starts at its top, even when its file is the one shown before.
class WebBrowser : public QWebEngineView, public common::Browser {
  Q_OBJECT
 public:
  using OpenOutside = std::function<void(const QUrl&)>;
  explicit WebBrowser(OpenOutside open_outside = {}, QWidget* parent = nullptr);
  // The page goes before its profile, which must outlive every page of its own.
  ~WebBrowser() override;

  void ShowFile(const std::string& path) override;
  void ShowAddress(const std::string& address) override;
  void Stop() override;

 private:
  void ShowLocal(QUrl url);

  int pages_shown_ = 0;
};

}  // namespace trubkom::app
