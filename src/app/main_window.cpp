#include "app/main_window.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLayout>
#include <QMenu>
#include <QSplitter>
#include <QThread>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <utility>

#include "app/about_text.h"
#include "app/basket_panel.h"
#include "app/hint_bar.h"
#include "app/models_panel.h"
#include "app/new_models_panel.h"
#include "app/panel_parts.h"
#include "app/qt_ports.h"
#include "app/search_panel.h"
#include "app/text.h"
#include "app/update_dialog.h"
#include "app/widgets.h"
#include "app/window_geometry.h"
#include "app/wizard_panel.h"
#include "catalogue/brand_list.h"
#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/folders.h"
#include "catalogue/home_page.h"
#include "catalogue/model_list.h"
#include "catalogue/model_page.h"
#include "catalogue/price_range.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/page_address.h"
#include "common/paths.h"
#include "common/warnings.h"
#include "selection/model_index.h"
#include "selection/new_models.h"
#include "selection/property_vocabulary.h"
#include "selection/questions.h"
#include "selection/wizard.h"
#include "update/package_keys.h"

namespace trubkom::app {

// ---- The start-up load -------------------------------------------------------------------------

void MainWindow::StartupLoad() {
  ports_.browser->ShowFile(common::ResolvePath(state_.folders.working, "Templates/index.html"));
  ShowOtherPage();
  wizard_->Clear();
  wizard_->setEnabled(false);
  // Read while the browser area starts and shows the start page: the reading thread has the
  // least priority, so it takes what the browser's processes leave of the processors and the
  // page comes no later for it.
  StartLoad();
}

void MainWindow::StartLoad() {
  if (load_thread_) {
    reload_pending_ = true;  // the catalogue changed again while it was being read
    return;
  }
  // Until the catalogue is read the wizard has nothing to filter: its answers wait.
  wizard_->setEnabled(false);
  load_failure_said_ = false;
  auto loaded = std::make_shared<LoadedCatalogue>();
  auto search = std::make_shared<catalogue::ModelSearch>();
  // The brand whose list the window will show: the one restored at start-up, else the one on
  // show; its list is read with the catalogue rather than on the window's thread after.
  const std::string shown_brand = models_->BrandToShow();
  // At start-up the wizard shows its first page: the entries the other pages read are read after
  // the lists are shown, and the wizard answers from then on.
  const bool first_page_only = !loaded_;
  load_thread_ = QThread::create([this, loaded, search, folders = state_.folders,
                                  kept = &state_.model_index(), full_only = models_->full_only(),
                                  shown_brand, first_page_only, gate = ports_.load_gate] {
    if (gate) gate();
    // No one's wait but the lists', which the browser area's start outweighs (see StartupLoad);
    // the search and the wizard's whole index, read after on this thread, are no one's.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    common::Result<LoadedCatalogue> read =
        LoadCatalogue(folders, *kept, full_only, shown_brand, first_page_only);
    if (read) {
      *loaded = std::move(*read);
    } else {
      // The window goes on with an empty catalogue, its advertising still shown.
      SayLoadFailed(read.error());
      loaded->data = std::make_unique<catalogue::CatalogueData>(folders.working);
      loaded->config_found = catalogue::ReadConfigFile(folders.program, loaded->advertising);
    }
    // An index stays where it is when the window takes it, and no other load starts before this
    // thread ends, so the search may go on reading it.
    const common::LineTable* index = loaded->index ? &loaded->index->lines() : kept;
    const common::StringList brands = loaded->brands;
    const bool answers_wizard = loaded->index_answers_wizard;
    // The lists are what the user waits for: shown now, the rest made meanwhile.
    auto shown = std::make_shared<std::promise<void>>();
    std::future<void> lists_shown = shown->get_future();
    QMetaObject::invokeMethod(
        this,
        [this, loaded, shown] {
          ShowLoadedCatalogue(std::move(*loaded));
          shown->set_value();
        },
        Qt::QueuedConnection);
    if (!answers_wizard) {
      // Not before the window has filled its lists, which it does on one processor while this
      // read would take both. A window closing meanwhile may never show them: not for long.
      lists_shown.wait_for(std::chrono::seconds(1));
      common::Result<std::unique_ptr<selection::IndexedLines>> read_whole =
          ReadWizardIndex(folders);
      if (!read_whole) SayLoadFailed(read_whole.error());
      auto whole = std::make_shared<std::unique_ptr<selection::IndexedLines>>(
          std::move(read_whole).value_or(nullptr));
      if (*whole) index = &(*whole)->lines();
      QMetaObject::invokeMethod(
          this,
          [this, whole] {
            // The index that answers every page of the wizard; null when base.tkm could not be
            // read again (said as it was read): the wizard goes on with what it has.
            if (*whole) state_.index = std::move(*whole);
            wizard_->setEnabled(true);
            wizard_->SetIndex(state_.index.get());
          },
          Qt::QueuedConnection);
    }
    common::Result<catalogue::ModelSearch> made = LoadSearch(folders, *index, brands);
    if (made) {
      *search = std::move(*made);
    } else {
      SayLoadFailed(made.error());
    }
  });
  connect(load_thread_, &QThread::finished, this, [this, search] {
    load_thread_->deleteLater();
    load_thread_ = nullptr;
    models_->search()->SetSearch(std::move(*search));
    emit catalogueLoaded();
    if (std::exchange(reload_pending_, false)) StartLoad();
  });
  load_thread_->start();
}

void MainWindow::SayLoadFailed(const common::Error& error) {
  QMetaObject::invokeMethod(
      this,
      [this, message = error.message] {
        if (!std::exchange(load_failure_said_, true)) ports_.messages->Warn(message);
      },
      Qt::QueuedConnection);
}

void MainWindow::ShowLoadedCatalogue(LoadedCatalogue loaded) {
  // What the user had in sight, found again in the catalogue read anew.
  state_.data = std::move(loaded.data);
  if (loaded.index) state_.index = std::move(loaded.index);
  state_.advertising = std::move(loaded.advertising);
  models_->ShowCatalogue(loaded, loaded_);
  new_models_->ShowFiles(std::move(loaded.new_model_files));
  if (loaded_) {
    RestorePlace();
  } else {
    KeepListedBasketModels();  // the basket remembered may hold models this catalogue lacks
  }
  wizard_->setEnabled(loaded.index_answers_wizard);
  wizard_->SetIndex(state_.index.get());
  loaded_ = true;
  emit listsShown();
  if (!loaded.config_found) {
    ports_.messages->Warn(common::Cp1251FromUtf8(
        std::string("Отсутствует файл конфигурации ") + catalogue::kConfigFileName +
        ".\nОн должен лежать в папке программы: " + state_.folders.program));
  }
}

void MainWindow::KeepListedBasketModels() {
  catalogue::Basket kept;
  QStringList dropped;
  for (const catalogue::BasketEntry& entry : basket_->basket().entries()) {
    if (std::optional<catalogue::ModelRow> row = ListedRow(entry.model)) {
      kept.Add(entry.model, row->price);
    } else {
      dropped << ToQt(entry.model);
    }
  }
  if (dropped.isEmpty()) return;
  basket_->Replace(std::move(kept));
  hint_bar_->ShowNotice(U(" Из корзины убраны модели, которых нет в каталоге: ") +
                        dropped.join(U(", ")));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted()) emit closed();
}

void MainWindow::OpenCatalogue() {
  QtFolderChooser own_chooser(this, U("Открыть каталог"));
  common::FolderChooser& chooser = ports_.folders ? *ports_.folders : own_chooser;
  std::string chosen =
      chooser.ChooseFolder(std::filesystem::path(state_.folders.working).parent_path().string());
  if (chosen.empty() || chosen == state_.folders.working) return;
  if (!catalogue::HoldsCatalogueData(chosen)) {
    ports_.messages->Inform(common::Cp1251FromUtf8(
        "В папке «" + chosen + "» нет каталога Трубкома: в ней нет папок Base и Templates."));
    return;
  }
  next_catalogue_ = chosen;
  close();
}

void MainWindow::RestorePlace() {
  // The basket keeps its entries with their prices of now; removed models drop out.
  KeepListedBasketModels();
  // The page on show stays; when its model is gone it is no model's to step from or to add.
  const common::BrandAndModel& shown = state_.model_on_show;
  if (!shown.brand.empty() && !ListedRow(shown.brand + " " + shown.model)) ShowOtherPage();
  // The wizard keeps its page and answers; the models they leave are found in the new index.
  wizard_->SetIndex(state_.index.get());
  wizard_->Refilter();
  EnableStepButtons();
}

std::optional<catalogue::ModelRow> MainWindow::ListedRow(const std::string& entry) {
  std::optional<common::BrandAndModel> parts = common::SplitRow(entry);
  if (!parts) return std::nullopt;
  return catalogue::FindListedModel(state_.folders, *state_.data, state_.model_index(),
                                    models_->BoxBrand(parts->brand), parts->model);
}

// ---- What the next run takes up -------------------------------------------------------------

void MainWindow::Restore(const RememberedState& remembered) {
  std::optional<QRect> geometry = remembered.geometry;
  if (geometry)
    *geometry = RescaledGeometry(*geometry, remembered.geometry_scale, devicePixelRatioF());
  PlaceOnScreen(geometry);
  if (remembered.column_widths.size() == columns_->count()) {
    // The splitter shares out the widths it is given over the width it has: it must have the
    // window's first.
    layout()->activate();
    columns_->setSizes(remembered.column_widths);
  }
  models_->Restore(remembered.brand, remembered.full_only, loaded_);
  basket_->SetOnlyDifferences(remembered.only_differences);
  // With the prices they had: the catalogue may not be read yet, and a reload refreshes them.
  for (const catalogue::BasketEntry& entry : remembered.basket) {
    basket_->Add(entry.model, entry.price);
  }
  if (loaded_) KeepListedBasketModels();
  update_dialog_->Restore({remembered.use_proxy, remembered.proxy, remembered.local_folder});
}

RememberedState MainWindow::Remembered() const {
  RememberedState remembered;
  remembered.geometry = normalGeometry();
  remembered.geometry_scale = devicePixelRatioF();
  remembered.maximized = isMaximized();
  remembered.column_widths = columns_->sizes();
  remembered.brand = models_->RememberedBrand();
  remembered.full_only = models_->full_only();
  remembered.only_differences = basket_->only_differences();
  remembered.basket = basket_->basket().entries();
  UpdateDialog::Remembered update = update_dialog_->remembered();
  remembered.use_proxy = update.use_proxy;
  remembered.proxy = update.proxy;
  remembered.local_folder = update.local_folder;
  return remembered;
}

// ---- Pages -------------------------------------------------------------------------------------

catalogue::PageContext MainWindow::Pages() {
  return {state_.folders,         *state_.data,
          state_.indexed_lines(), selection::PropertyVocabulary::Builtin(),
          state_.advertising,     *ports_.browser,
          *ports_.random};
}

void MainWindow::ShowModelPage(const std::string& brand, const std::string& model) {
  catalogue::PageContext pages = Pages();
  catalogue::PageFile page = catalogue::ShowModelPage(pages, brand, model);
  ReportUnwritten(page);
  if (!page) return;
  state_.model_on_show = {brand, model};
  EnableStepButtons();
}

void MainWindow::ShowOtherPage() {
  state_.model_on_show = {};
  EnableStepButtons();
}

void MainWindow::ReportUnwritten(const catalogue::PageFile& page) {
  if (page) return;
  ports_.messages->Warn(
      common::Cp1251FromUtf8("Не удалось показать страницу.\n") + page.error().message +
      common::Cp1251FromUtf8("\nПроверьте, что папка Templates есть и в неё можно писать."));
}

void MainWindow::ShowEntryModel(const std::string& entry) {
  if (std::optional<common::BrandAndModel> parts = common::SplitRow(entry)) {
    ShowModelPage(parts->brand, parts->model);
  }
}

// ---- The basket --------------------------------------------------------------------------------

const catalogue::Basket& MainWindow::basket() const { return basket_->basket(); }

void MainWindow::AddToBasketByKey() {
  if (!state_.model_on_show.brand.empty()) {
    AddShownModelToBasket();
    return;
  }
  // Else the current row of the list in use; the models list's rows name no brand.
  QWidget* focus = QApplication::focusWidget();
  if (focus == models_->list()) {
    std::string model = CurrentRowText(models_->list());
    if (!model.empty()) AddToBasket(models_->current_brand() + " " + model);
    return;
  }
  for (QTreeWidget* list : {static_cast<QTreeWidget*>(models_->search()->results()),
                            static_cast<QTreeWidget*>(wizard_->results()),
                            static_cast<QTreeWidget*>(new_models_->list())}) {
    std::string entry = CurrentRowText(list);
    if (focus == list && !entry.empty()) AddToBasket(entry);
  }
}

void MainWindow::AddToBasket(const std::string& entry) {
  std::optional<catalogue::ModelRow> row = ListedRow(entry);
  if (!basket_->Add(entry, row ? row->price : std::string())) {
    hint_bar_->ShowNotice(U(" Эта модель уже есть в корзине"));
  }
}

void MainWindow::AddShownModelToBasket() {
  const common::BrandAndModel& shown = state_.model_on_show;
  if (shown.brand.empty()) {
    hint_bar_->ShowNotice(U(" Откройте страницу модели, чтобы добавить её в корзину"));
    return;
  }
  AddToBasket(shown.brand + " " + shown.model);
}

void MainWindow::Compare() {
  if (basket_->basket().empty()) {
    hint_bar_->ShowNotice(U(" Корзина пуста: добавьте в неё модели, чтобы сравнить их"));
    return;
  }
  // The switch is a link between two page files; which one the user went to last is the choice.
  if (auto* view = qobject_cast<QWebEngineView*>(ports_.browser_widget)) {
    connect(view, &QWebEngineView::urlChanged, this, &MainWindow::NoteComparisonSwitch,
            Qt::UniqueConnection);
  }
  catalogue::PageContext pages = Pages();
  catalogue::PageFile page = catalogue::ShowComparePage(pages, basket_->basket().ComparisonText(),
                                                        basket_->only_differences());
  ReportUnwritten(page);
  if (page) ShowOtherPage();
}

void MainWindow::NoteComparisonSwitch(const QUrl& url) {
  if (!url.isLocalFile()) return;
  std::string name = QFile::encodeName(url.fileName()).toStdString();
  if (std::optional<bool> choice = catalogue::DifferencesChoiceOf(name))
    basket_->SetOnlyDifferences(*choice);
}

// ---- Stepping through the models list ------------------------------------------------------

void MainWindow::EnableStepButtons() {
  if (!previous_button_) return;  // the toolbar is not built yet
  auto [previous, next] = models_->StepRows();
  previous_button_->setEnabled(previous >= 0);
  next_button_->setEnabled(next >= 0);
}

void MainWindow::PreviousModel() { models_->StepTo(models_->StepRows().first); }

void MainWindow::NextModel() { models_->StepTo(models_->StepRows().second); }

// ---- Toolbar -------------------------------------------------------------------------------

void MainWindow::StopLoading() { ports_.browser->Stop(); }

void MainWindow::OpenHomePage() {
  std::string target = catalogue::ReadHomePage(state_.folders.working);
  if (target.empty()) return;
  // As a page's link: the desktop opens web and mail addresses, the browser area the files of
  // the catalogue and of the program, and nothing else goes anywhere.
  switch (common::UseOfAddress(target, {state_.folders.working, state_.folders.program})) {
    case common::AddressUse::kDesktop:
      ports_.shell->Open(common::DesktopAddress(target));
      return;
    case common::AddressUse::kShow:
      ports_.browser->ShowAddress(target);
      ShowOtherPage();
      return;
    case common::AddressUse::kRefuse:
      hint_bar_->ShowNotice(
          U(" Домашняя страница не открыта: её адрес не веб-страница и не "
            "файл каталога"));
      return;
  }
}

void MainWindow::ShowContacts() {
  std::string contacts =
      common::ResolvePath(state_.folders.working, "adv/advertisement/contacts.html");
  ports_.browser->ShowAddress(common::FileUrl(contacts));
  ShowOtherPage();
}

void MainWindow::Update() {
  update_dialog_->exec();
  StartLoad();
}

void MainWindow::ShowAbout() {
  ports_.messages->Inform(AboutText(state_.folders.working, update::BuiltWithDemoKeys()));
}

}  // namespace trubkom::app
