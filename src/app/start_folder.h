#pragma once

#include <QSettings>
#include <string>

#include "common/ports.h"

// The catalogue folder the window starts on. The program is started in a catalogue folder as a
// rule; started anywhere else (a home folder, /tmp) it says so and lets the user open the demo
// catalogue or choose a catalogue folder, which is remembered for the next start. A catalogue
// that cannot be written is said once, with the offer of a copy that can.
namespace trubkom::app {

// The start's own questions; texts are Windows-1251, as the other ports' texts.
class StartQuestions {
 public:
  enum class NoCatalogueAnswer { kOpenDemo, kChooseFolder, kQuit };
  virtual ~StartQuestions() = default;
  // The folder started in holds no catalogue (text names it): what now?
  virtual NoCatalogueAnswer AskNoCatalogue(const std::string& text) = 0;
  // The catalogue cannot be written (text names it and why): true to go to the copy offered.
  virtual bool AskToCopy(const std::string& text) = 0;
};

struct StartPorts {
  StartQuestions& questions;
  common::Messages& messages;      // says what went wrong
  common::FolderChooser& folders;  // the folder dialog
};

// Paths are the file system's UTF-8.
struct StartPlaces {
  std::string started_in;  // the current folder
  std::string demo;        // the demo catalogue that comes with the program, never written
  // The user's own catalogue, which can be written: the demo or a read-only catalogue is
  // copied there.
  std::string own_copy;
};

// The settings key of the catalogue folder chosen for the next start.
inline constexpr const char* kCatalogueFolderKey = "catalogue/folder";

// $XDG_DATA_HOME/trubkom/catalogue, by default ~/.local/share/trubkom/catalogue.
std::string OwnCatalogueFolder();

// The working folder to start on: the folder started in when it holds a catalogue, else the
// one remembered in settings, else the one the user opens or chooses (then remembered). When it
// cannot be written, the user may take the copy at places.own_copy instead (made when missing,
// then remembered). Empty when the user quits.
std::string ChooseStartFolder(const StartPlaces& places, QSettings& settings, StartPorts ports);

}  // namespace trubkom::app
