#pragma once

#include <QSettings>
#include <string>

#include "common/ports.h"

// The catalogue folder the window starts on: one named when the program is started, the folder
// it is started in, the one chosen at an earlier start, or else the user's own catalogue, which
// the first start makes as a copy of the demo catalogue that comes with the program. Only when
// none of them can be had is the user asked to open the demo catalogue or to choose a folder,
// which is remembered for the next start. A catalogue that cannot be written is said once, with
// the offer of a copy that can.
namespace trubkom::app {

// The start's own questions; texts are Windows-1251, as the other ports' texts.
class StartQuestions {
 public:
  enum class NoCatalogueAnswer { kOpenDemo, kChooseFolder, kQuit };
  virtual ~StartQuestions() = default;
  // There is no catalogue to start on (text names the folder without one): what now?
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
  // The folder named by the program's argument or TRUBKOM_CATALOGUE, absolute; empty for none.
  std::string named;
};

// The settings key of the catalogue folder chosen for the next start.
inline constexpr const char* kCatalogueFolderKey = "catalogue/folder";

// $XDG_DATA_HOME/trubkom/catalogue, by default ~/.local/share/trubkom/catalogue.
std::string OwnCatalogueFolder();

// The working folder to start on, the first catalogue of: the folder named, the folder started
// in, the one remembered in settings (one that is gone is said), places.own_copy (copied from
// places.demo when missing). A named folder without a catalogue, or none of them to be had,
// asks the user, who opens the demo's copy or chooses a folder (then remembered). When the
// folder cannot be written, the user may take the copy at places.own_copy instead (made when
// missing, then remembered). Empty when the user quits.
std::string ChooseStartFolder(const StartPlaces& places, QSettings& settings, StartPorts ports);

}  // namespace trubkom::app
