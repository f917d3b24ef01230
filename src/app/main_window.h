#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "app/app_state.h"
#include "app/catalogue_load.h"
#include "app/remembered_state.h"
#include "app/report_list.h"
#include "catalogue/page_context.h"
#include "catalogue/page_file.h"
#include "common/ports.h"

class QMenu;
class QSplitter;
class QThread;

namespace trubkom::app {

class BasketPanel;
class HintBar;
class ModelsPanel;
class NewModelsPanel;
class PictureButton;
class SearchPanel;
class UpdateDialog;
class WizardPanel;

// What the main window uses of the desktop. The browser widget is the one that shows pages;
// browser is the same object seen through the port (tests give a plain widget and a fake).
struct MainWindowPorts {
  QWidget* browser_widget = nullptr;
  common::Browser* browser = nullptr;
  common::Messages* messages = nullptr;
  common::Shell* shell = nullptr;
  common::Random* random = nullptr;
  // The update dialog's folder chooser; its own folder dialog when null.
  common::FolderChooser* folders = nullptr;
  std::string update_server;  // ending in "/"
  // Called on the loading thread before the catalogue is read (tests hold it there to see the
  // window before the load has ended).
  std::function<void()> load_gate;
};

// The main window: brand box, models list and basket on the left, the question wizard and the
// new models on the right, a strip of picture buttons and the hint bar on top, and the browser
// area in the middle. Its construction ends with the catalogue's start-up load.
class MainWindow : public QWidget {
  Q_OBJECT
 public:
  MainWindow(catalogue::Folders folders, MainWindowPorts ports, QWidget* parent = nullptr);
  // Waits for a catalogue load under way.
  ~MainWindow() override;

  // What the window holds, to read: it changes only through the window's controls.
  const AppState& state() const { return state_; }
  // True once the catalogue has been read for the first time.
  bool loaded() const { return loaded_; }
  // The catalogue folder "Открыть каталог…" chose, once the window has closed for it.
  const std::optional<std::string>& next_catalogue() const { return next_catalogue_; }
  const catalogue::Basket& basket() const;
  const WizardPanel& wizard() const { return *wizard_; }
  const ModelsPanel& models() const { return *models_; }
  UpdateDialog* update_dialog() { return update_dialog_; }

  // Takes up what the last run of the program left: the window's place (fitted into the
  // screen there now), the column widths, the brand (once the catalogue is read), the filter,
  // the basket and the update options.
  void Restore(const RememberedState& remembered);
  // What to remember for the next run.
  RememberedState Remembered() const;

 signals:
  // The catalogue's brand box, models list and wizard's counts are filled, at start or after an
  // update; the search across brands is made after them.
  void listsShown();
  // The catalogue has been read and shown, at start or after an update, the search included.
  void catalogueLoaded();
  // The window has closed: the user is done with it, or "Открыть каталог…" chose another.
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private slots:
  // The window's commands, as the controls and the menus call them.
  // The basket button: the model whose page is on show.
  void AddShownModelToBasket();
  // Ctrl+B: the model whose page is on show, else the current row of the list in use.
  void AddToBasketByKey();
  void PreviousModel();
  void NextModel();
  void Compare();
  void StopLoading();
  void OpenHomePage();
  void ShowContacts();
  // Opens the update dialog and, once it is closed, reads the catalogue again.
  void Update();
  // The program's version, licence, catalogue folder and the keys it trusts.
  void ShowAbout();
  // Tab walks the controls left to right: the toolbar, the models column, the browser area,
  // the wizard's column. Made again whenever the wizard shows a page of new answers.
  void OrderFocusChain();

 private:
  // Remembers the state of the comparison's switch "Только различия" from the page file shown.
  void NoteComparisonSwitch(const QUrl& url);
  // Building the window.
  // Places the window at the remembered geometry, or the first start's, fitted into the
  // available area of the screen it falls on.
  void PlaceOnScreen(const std::optional<QRect>& remembered);
  QWidget* BuildTopStrip();
  // What the panels ask of the window: a model's page, a place in the basket, the comparison.
  void WirePanels();
  // The keyboard's shortcuts for the commands.
  void AddShortcuts();

  // The start-up load: the window shows its start page at once and fills in its lists when the
  // catalogue has been read off the window's thread.
  void StartupLoad();
  // Reads config.tkm, the brand box and the model index off the window's thread and shows them;
  // asked again while a read is under way, it reads once more when that read has ended.
  void StartLoad();
  void ShowLoadedCatalogue(LoadedCatalogue loaded);
  // Says, on the window's thread, why the catalogue could not be read whole: once a load.
  void SayLoadFailed(const common::Error& error);
  // After a reload: the place the user had, on the new catalogue.
  void RestorePlace();
  // The basket keeps the models of the catalogue read, with their prices of now; the others
  // drop out, said in the hint bar.
  void KeepListedBasketModels();
  // "Открыть каталог…": a folder with a catalogue closes the window for it.
  void OpenCatalogue();
  // The models list row of a "brand model" entry.
  std::optional<catalogue::ModelRow> ListedRow(const std::string& entry);
  void EnableStepButtons();

  catalogue::PageContext Pages();
  void ShowModelPage(const std::string& brand, const std::string& model);
  // The browser area shows a page that is no model's.
  void ShowOtherPage();
  // A page that could not be written leaves the page on show, and the user is told why.
  void ReportUnwritten(const catalogue::PageFile& page);
  // Shows the page of a "brand model" entry; an entry without a blank names no model.
  void ShowEntryModel(const std::string& entry);
  // Puts the "brand model" entry into the basket with its price in the models list and shows
  // its row; one the basket already holds is refused, and the hint bar says so.
  void AddToBasket(const std::string& entry);

  AppState state_;
  MainWindowPorts ports_;

  QSplitter* columns_ = nullptr;
  HintBar* hint_bar_ = nullptr;
  std::vector<PictureButton*> toolbar_;
  PictureButton* previous_button_ = nullptr;
  PictureButton* next_button_ = nullptr;
  ModelsPanel* models_ = nullptr;
  BasketPanel* basket_ = nullptr;
  WizardPanel* wizard_ = nullptr;
  NewModelsPanel* new_models_ = nullptr;
  UpdateDialog* update_dialog_ = nullptr;
  QThread* load_thread_ = nullptr;
  bool reload_pending_ = false;
  bool load_failure_said_ = false;  // by the load under way
  bool loaded_ = false;
  std::optional<std::string> next_catalogue_;
};

}  // namespace trubkom::app
