#pragma once

#include <QPointer>
#include <QWebEnginePage>

#include "app/page_rules.h"

class QWebEngineView;

namespace trubkom::app {

// The page of the browser area. It asks the user nothing: no message boxes of script, no file
// dialog for a file field, no password, certificate, permission or full-screen request; each is
// answered "no" without a word. Where it may go is decided by AcceptNavigation; a link meant for
// a new window is decided alike and shown in the same view.
class QuietPage : public QWebEnginePage {
 public:
  QuietPage(QWebEngineProfile* profile, QWebEngineView* view, PageReach reach);

 protected:
  QWebEnginePage* createWindow(WebWindowType type) override;
  QStringList chooseFiles(FileSelectionMode, const QStringList&, const QStringList&) override {
    return {};
  }
  void javaScriptAlert(const QUrl&, const QString&) override {}
  bool javaScriptConfirm(const QUrl&, const QString&) override { return false; }
  bool javaScriptPrompt(const QUrl&, const QString&, const QString&, QString*) override {
    return false;
  }
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override {
    return AcceptNavigation(url, type, main_frame, reach_);
  }

 private:
  // Answers each of the engine's requests for the user's say with a refusal.
  void RefuseRequests();

  PageReach reach_;
  QPointer<QWebEnginePage> catcher_;  // of the last new window asked for, until it goes
};

}  // namespace trubkom::app
