#pragma once

#include <QWebEngineView>

#include "common/ports.h"

namespace trubkom::app {

// The browser area: shows local pages, offline and quiet. No dialogs of its own, no drops;
// a web link the user clicks opens in the desktop's browser.
class WebBrowser : public QWebEngineView, public common::Browser {
  Q_OBJECT
 public:
  explicit WebBrowser(QWidget* parent = nullptr);
  // The page goes before its profile, which must outlive every page of its own.
  ~WebBrowser() override;

  void ShowFile(const std::string& path) override;
  void ShowAddress(const std::string& address) override;
  void Stop() override;
};

}  // namespace trubkom::app
