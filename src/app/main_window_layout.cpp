// The main window's controls and how they are arranged.
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <functional>
#include <utility>

#include "app/basket_panel.h"
#include "app/hint_bar.h"
#include "app/main_window.h"
#include "app/models_panel.h"
#include "app/new_models_panel.h"
#include "app/panel_parts.h"
#include "app/report_list.h"
#include "app/search_panel.h"
#include "app/text.h"
#include "app/update_dialog.h"
#include "app/widgets.h"
#include "app/window_geometry.h"
#include "app/wizard_panel.h"
#include "catalogue/folders.h"
#include "common/version.h"

// The artwork lives in the static library's resources, which must be registered by hand.
static void RegisterArtwork() { Q_INIT_RESOURCE(trubkom); }

namespace trubkom::app {

namespace {

// A toolbar button: x position, picture index, object name, the name a screen reader says,
// hint, command.
struct ToolbarButton {
  int x;
  int picture;
  const char* name;
  const char* label;
  const char* hint;
  void (MainWindow::*command)();
};

// The hint bar's texts of the frames, which screen readers say as their lists' descriptions.
constexpr const char* kModelsHint = " Здесь показан модельный ряд выбранного вами производителя";
constexpr const char* kBasketHint = " Сюда переносятся выбранные модели телефонов для сравнения";
constexpr const char* kWizardHint = " Этот мастер поможет подобрать подходящую вам модель";
constexpr const char* kNewModelsHint =
    " О новых моделях, добавленных с помощью модуля автообновления можно узнать из этого списка";

// The side columns' widths as laid out, and their least.
constexpr int kModelsColumnWidth = 217;
constexpr int kWizardColumnWidth = 184;

// The least a side column may be narrowed to by hand; dragged further, it folds away.
constexpr int kLeastColumnWidth = 96;
// The share of the window the browser area keeps at least when the window is narrowed.
constexpr double kLeastPageShare = 0.45;

// Keeps the browser area (the splitter's middle widget) at least kLeastPageShare of the
// splitter whenever the splitter is resized: at a scale of 2 or on a small screen the side
// columns give way, in proportion, rather than leave the page a strip.
class PageRoom : public QObject {
 public:
  explicit PageRoom(QSplitter* columns) : QObject(columns), columns_(columns) {
    columns->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Only once on the screen: the sizes of a window still being laid out are not the user's.
    const bool sized = event->type() == QEvent::Resize || event->type() == QEvent::Show;
    // After the splitter has shared out the new width itself.
    if (sized && columns_->isVisible()) {
      QMetaObject::invokeMethod(this, &PageRoom::Share, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void Share() {
    QList<int> sizes = columns_->sizes();
    const int total = sizes[0] + sizes[1] + sizes[2];
    const int least_page = static_cast<int>(total * kLeastPageShare);
    const int sides = sizes[0] + sizes[2];
    if (total <= 0 || sizes[1] >= least_page || sides <= 0) return;
    const int room = std::max(total - least_page, 0);
    sizes[0] = sizes[0] * room / sides;
    sizes[2] = sizes[2] * room / sides;
    sizes[1] = total - sizes[0] - sizes[2];
    columns_->setSizes(sizes);
  }

  QSplitter* columns_;
};

// A frame of a side column: its title over its panel, on a pale gradient (or, for the wizard, a
// plain light background); of a fixed height when given one.
QWidget* Frame(QWidget* title, QWidget* panel, int height = 0, bool gradient = true) {
  auto* frame = new QWidget;
  if (height > 0) frame->setFixedHeight(height);
  auto* layout = Column(frame);
  layout->addWidget(title);
  if (gradient) {
    auto* content = new GradientPanel(colours::kPaleBlue, Qt::white, frame);
    Column(content)->addWidget(panel);
    layout->addWidget(content, 1);
  } else {
    FillBackground(frame, colours::kLightBlue);
    layout->addWidget(panel, 1);
  }
  return frame;
}

// A column beside the browser area: the upper frame takes the height the lower one leaves.
QWidget* SideColumn(int width, QWidget* upper, QWidget* lower, QWidget* parent) {
  auto* column = new GradientPanel(colours::kColumnTop, colours::kColumnBottom, parent);
  // Laid out for width; narrower (a large scale, a small screen) it scrolls sideways.
  column->resize(width, column->height());
  column->setMinimumWidth(kLeastColumnWidth);
  auto* content = new QWidget;
  auto* layout = Column(content);
  layout->addWidget(upper, 1);
  layout->addWidget(lower);
  // Where the window is too low for the column's fixed parts, its lists shrink to their
  // minimum first; below that the column scrolls rather than drawing controls over each other.
  auto* scroller = new QScrollArea(column);
  // Tab goes to the controls in the column, not to the column; a control that takes the focus
  // is scrolled into sight.
  scroller->setFocusPolicy(Qt::NoFocus);
  scroller->setFrameShape(QFrame::NoFrame);
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  content->setMinimumWidth(width);
  scroller->setWidgetResizable(true);
  scroller->viewport()->setAutoFillBackground(false);
  content->setAutoFillBackground(false);
  scroller->verticalScrollBar()->setStyleSheet(
      U("QScrollBar:vertical { width: 8px; background: #D8E4F8; border: none; }"
        "QScrollBar::handle:vertical { background: #2C60AC; min-height: 20px; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0px; }"));
  scroller->setWidget(content);
  Column(column)->addWidget(scroller);
  return column;
}

}  // namespace

MainWindow::MainWindow(catalogue::Folders folders, MainWindowPorts ports, QWidget* parent)
    : QWidget(parent), state_(std::move(folders)), ports_(ports) {
  RegisterArtwork();
  // The title names the catalogue open, its folder as the user knows it (~ for the home).
  QString folder = QFile::decodeName(QByteArray::fromStdString(state_.folders.working));
  const QString home = QDir::homePath();
  if (folder == home || folder.startsWith(home + U("/"))) folder = U("~") + folder.mid(home.size());
  // A catalogue the user cannot write says so: its updates will not be installed.
  if (!state_.folders.pages.empty()) folder += U(" (только чтение)");
  setWindowTitle(U("Трубком v") + QString::fromLatin1(kVersion) + U(" — ") + folder);
  setWindowIcon(QIcon(U(":/MAINICON")));
  QFont window_font = font();
  window_font.setPixelSize(11);
  setFont(window_font);
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
  PlaceOnScreen(std::nullopt);

  auto* layout = Column(this);
  layout->addWidget(BuildTopStrip());
  // The user may widen the side columns at the expense of the browser area, narrow them (their
  // content then scrolls sideways) or fold them away; the widths are remembered. The browser
  // area never folds, and keeps about half the window whatever its size.
  columns_ = new QSplitter(Qt::Horizontal, this);
  columns_->setObjectName(U("columns"));
  columns_->setHandleWidth(3);
  models_ = new ModelsPanel(state_);
  basket_ = new BasketPanel;
  hint_bar_->Follow(basket_->compare_button());
  wizard_ = new WizardPanel;
  new_models_ = new NewModelsPanel;
  columns_->addWidget(
      SideColumn(kModelsColumnWidth, Frame(hint_bar_->Title("Модели", kModelsHint, 19), models_),
                 Frame(hint_bar_->Title("Корзина", kBasketHint, 20), basket_, 145), this));
  ports_.browser_widget->setObjectName(U("browser"));
  columns_->addWidget(ports_.browser_widget);
  columns_->addWidget(
      SideColumn(kWizardColumnWidth,
                 Frame(hint_bar_->Title("Подбор модели", kWizardHint, 20), wizard_, 0, false),
                 Frame(hint_bar_->Title("Новинки", kNewModelsHint, 20), new_models_, 147), this));
  columns_->setStretchFactor(0, 0);
  columns_->setStretchFactor(1, 1);
  columns_->setStretchFactor(2, 0);
  columns_->setSizes({kModelsColumnWidth, width(), kWizardColumnWidth});
  columns_->setCollapsible(1, false);
  new PageRoom(columns_);
  // The splitter puts each new widget first among its children; in their order again, the
  // widget tree reads left to right, as screen readers walk it.
  for (int i = 0; i < columns_->count(); ++i) columns_->widget(i)->raise();
  layout->addWidget(columns_, 1);

  connect(wizard_, &WizardPanel::pageShown, this, &MainWindow::OrderFocusChain);
  WirePanels();
  // A link's address shows in the hint bar while the mouse is over it, as browsers do: a link
  // laid over the whole page shows where it goes before the click.
  if (auto* view = qobject_cast<QWebEngineView*>(ports_.browser_widget)) {
    connect(view->page(), &QWebEnginePage::linkHovered, hint_bar_, &HintBar::ShowHint);
  }
  Describe(ports_.browser_widget, U("Страница"),
           U("Описание модели, сравнение моделей или страница магазина"));
  AddShortcuts();
  // A user starts by choosing a brand: the focus is there when the window opens.
  models_->brand_box()->setFocus(Qt::OtherFocusReason);
  StartupLoad();
  // The one update dialog, built hidden at start and kept for the life of the window.
  update_dialog_ = new UpdateDialog(
      {state_.folders.working, ports_.update_server, ports_.shell, ports_.messages, ports_.folders,
       update::BuiltinOpeningKeys(), catalogue::DemoUpdatesFolder(state_.folders.program)},
      this);
}

void MainWindow::AddShortcuts() {
  // Ctrl+Enter is Return on the main keyboard and Enter on the keypad.
  static const std::pair<QKeyCombination, void (MainWindow::*)()> kShortcuts[] = {
      {Qt::ALT | Qt::Key_Left, &MainWindow::PreviousModel},
      {Qt::ALT | Qt::Key_Right, &MainWindow::NextModel},

      {QKeyCombination(Qt::Key_F5), &MainWindow::Update},
      {Qt::CTRL | Qt::Key_Return, &MainWindow::Compare},
      {Qt::CTRL | Qt::Key_Enter, &MainWindow::Compare},
      {QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter),
       &MainWindow::Compare},
      {QKeyCombination(Qt::Key_F1), &MainWindow::ShowAbout},
  };
  for (const auto& [keys, command] : kShortcuts) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    connect(shortcut, &QShortcut::activated, this, command);
  }
  auto* undo = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
  connect(undo, &QShortcut::activated, basket_, &BasketPanel::UndoClear);
  auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
  connect(open, &QShortcut::activated, this, &MainWindow::OpenCatalogue);
  auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
  connect(quit, &QShortcut::activated, this, &QWidget::close);
  auto* search = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
  connect(search, &QShortcut::activated, models_->search(), &SearchPanel::Focus);
  auto* add = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
  connect(add, &QShortcut::activated, this, &MainWindow::AddToBasketByKey);
}

void MainWindow::WirePanels() {
  connect(models_, &ModelsPanel::showModel, this, &MainWindow::ShowModelPage);
  connect(models_, &ModelsPanel::addToBasket, this, &MainWindow::AddToBasket);
  connect(models_, &ModelsPanel::rowsChanged, this, &MainWindow::EnableStepButtons);
  connect(models_, &ModelsPanel::notice, hint_bar_, &HintBar::ShowNotice);
  connect(models_->search(), &SearchPanel::showModel, this, &MainWindow::ShowEntryModel);
  connect(models_->search(), &SearchPanel::addToBasket, this, &MainWindow::AddToBasket);
  connect(models_->search(), &SearchPanel::nothingFound, this, [this] {
    hint_bar_->ShowNotice(U(" Ничего не найдено: названия моделей пишутся латиницей"));
  });
  connect(basket_, &BasketPanel::showModel, this, &MainWindow::ShowEntryModel);
  connect(basket_, &BasketPanel::compareRequested, this, &MainWindow::Compare);
  // The switch shows the comparison as it asks, when there is a basket to compare.
  connect(basket_, &BasketPanel::onlyDifferencesSwitched, this, [this] {
    if (!basket_->basket().empty()) Compare();
  });
  connect(basket_, &BasketPanel::cleared, this,
          [this] { hint_bar_->ShowNotice(U(" Корзина очищена; Ctrl+Z вернёт её")); });
  connect(wizard_, &WizardPanel::showModel, this, &MainWindow::ShowEntryModel);
  connect(wizard_, &WizardPanel::addToBasket, this, &MainWindow::AddToBasket);
  connect(new_models_, &NewModelsPanel::showModel, this, &MainWindow::ShowEntryModel);
  connect(new_models_, &NewModelsPanel::addToBasket, this, &MainWindow::AddToBasket);
}

void MainWindow::OrderFocusChain() {
  QList<QWidget*> chain(toolbar_.begin(), toolbar_.end());
  chain << findChild<QToolButton*>(U("openCatalogue")) << models_->brand_box()
        << models_->search()->field() << models_->list() << models_->search()->results()
        << models_->full_only_box() << basket_->list() << basket_->differences_box()
        << basket_->compare_button() << ports_.browser_widget << wizard_->FocusOrder()
        << new_models_->FocusOrder();
  for (qsizetype i = 0; i + 1 < chain.size(); ++i) setTabOrder(chain[i], chain[i + 1]);
}

MainWindow::~MainWindow() {
  if (load_thread_) load_thread_->wait();
}

void MainWindow::PlaceOnScreen(const std::optional<QRect>& remembered) {
  QScreen* on = remembered ? QGuiApplication::screenAt(remembered->center()) : nullptr;
  if (!on) on = screen();
  QRect area = on->availableGeometry();
  // The window manager puts its title bar above the window: room is kept for it.
  area.setTop(area.top() + style()->pixelMetric(QStyle::PM_TitleBarHeight));
  setMinimumSize(FitMinimumSize(kDesignMinimumSize, area));
  setGeometry(FitWindow(remembered, area));
}

QWidget* MainWindow::BuildTopStrip() {
  // Listed in a member of the window, since the commands are its private slots.
  static const ToolbarButton kToolbar[] = {
      {8, 8, "previousModel", "Предыдущая модель", " Перейти на предыдущую модель",
       &MainWindow::PreviousModel},
      {48, 0, "nextModel", "Следующая модель", " Перейти на следующую модель",
       &MainWindow::NextModel},
      {88, 5, "addToBasket", "В корзину", " Добавить телефон в корзину",
       &MainWindow::AddShownModelToBasket},
      {128, 2, "updateCatalogue", "Обновить каталог", " Обновить базу данных каталога из Интернета",
       &MainWindow::Update},
      {168, 7, "stopLoading", "Остановить загрузку", " Остановить загрузку страницы",
       &MainWindow::StopLoading},
      {207, 1, "homePage", "Домашняя страница", " Открыть домашнюю страницу программы",
       &MainWindow::OpenHomePage},
      {248, 4, "contacts", "Контакты", " Контакты", &MainWindow::ShowContacts},
  };
  auto* strip = Strip(this, 32);
  FillBackground(strip, colours::kDarkBlue);
  auto* row = Row(strip);
  // Made first: the buttons' hints go to it.
  hint_bar_ = new HintBar(strip);

  auto* toolbar = new QWidget(strip);
  toolbar->setFixedWidth(365);
  QPixmap normal(U(":/FORM1_BUTTONS"));
  QPixmap light(U(":/FORM1_BUTTONS_LIGHT"));
  for (const ToolbarButton& b : kToolbar) {
    auto* button = new PictureButton(StripPicture(normal, b.picture),
                                     StripPicture(light, b.picture), U(b.hint), toolbar);
    button->setObjectName(U(b.name));
    Describe(button, U(b.label), U(b.hint));
    button->move(b.x, 0);
    connect(button, &QToolButton::clicked, this, b.command);
    hint_bar_->Follow(button);
    toolbar_.push_back(button);
  }
  previous_button_ = toolbar_[0];
  next_button_ = toolbar_[1];
  row->addWidget(toolbar);
  row->addSpacing(13);

  row->addWidget(hint_bar_, 1);
  row->addSpacing(13);
  auto* open = new QToolButton(strip);
  open->setObjectName(U("openCatalogue"));
  open->setText(U("Каталог…"));
  Describe(open, U("Открыть каталог"), U(" Открыть другой каталог (Ctrl+O)"));
  open->setToolTip(U("Открыть другой каталог (Ctrl+O)"));
  open->setAutoRaise(true);
  open->setStyleSheet(
      U("QToolButton { color: white; } QToolButton:hover { color: #1D2F4F; }"
        " QToolButton:focus { text-decoration: underline; }"));
  connect(open, &QToolButton::clicked, this, &MainWindow::OpenCatalogue);
  row->addWidget(open);
  row->addSpacing(8);
  return strip;
}

}  // namespace trubkom::app
