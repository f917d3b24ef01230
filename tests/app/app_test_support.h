#pragma once

#include <QTreeWidget>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

#include "app/main_window.h"
#include "app/web_browser.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

class QWebEngineView;

namespace trubkom::testing {

// The pages of a browser view, as a test looks at them. The page's own script may be off: the
// test's script runs in a world apart, over the same document.
// True when start() has the view load a page and that page loads.
bool WaitForPage(QWebEngineView& view, const std::function<void()>& start);
// Returns once every event posted before the call (and those they post in turn, twice over) has
// been handled: what they would do has happened by then, so a check that it did not is sound.
void DrainEvents();
// The value of the script, run in the test's world; none when the page did not answer within ten
// seconds, so that a check of the value cannot pass on a page that never ran it.
std::optional<QVariant> RunInPage(QWebEngineView& view, const QString& script);
// A real click (the left button pressed and let go) in the middle of the element with the id;
// false when there is no such element in sight of the shown view.
bool ClickInPage(QWebEngineView& view, const char* element_id);
// Moves the mouse over the element, as the user's mouse would.
bool HoverInPage(QWebEngineView& view, const char* element_id);
// How many times the engine's search finds the text in the page, its frames included.
int CountInPage(QWebEngineView& view, const QString& text);

// A small catalogue: Nokia and Siemens brand files, a model index, one shop, the templates.
void WriteSmallCatalogue(const TempCatalogue& cat);

// The main window on a catalogue, with fakes for the browser area and the desktop.
struct WindowUnderTest {
  // The window with its catalogue loaded; with a load gate, as soon as it is built (the gate
  // runs on the loading thread before the catalogue is read). A real browser view, when given,
  // takes the fake's place (the window owns it).
  explicit WindowUnderTest(const TempCatalogue& cat, std::function<void()> load_gate = {},
                           app::WebBrowser* real_browser = nullptr);
  void WaitForLoad();
  // Reads the catalogue again as after an update, and waits until it is shown: the update
  // button opens the update dialog, which is closed at once.
  void Reload();

  FakeBrowser browser;
  FakeMessages messages;
  FakeShell shell;
  FakeFolderChooser folders;
  ScriptedRandom random;
  std::unique_ptr<app::MainWindow> window;

  template <typename T>
  T* Find(const char* name) {
    return window->findChild<T*>(QString::fromUtf8(name));
  }
  QTreeWidget* List(const char* name) { return Find<QTreeWidget>(name); }
  // Column 0 of every row, as UTF-8.
  QStringList Rows(const char* list);
  void Select(const char* list, int row);
  // A click on the button with the object name (a toolbar button, "compare", "next", ...).
  void Click(const char* button);
  // The command with the caption in the list's context menu, as the user chooses it.
  void ChooseFromMenu(const char* list, const char* caption);
};

}  // namespace trubkom::testing
