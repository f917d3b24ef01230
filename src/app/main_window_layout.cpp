// The main window's controls and how they are arranged.
#include <QCheckBox>
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
#include <QVBoxLayout>
#include <functional>
#include <utility>

#include "app/main_window.h"
#include "app/report_list.h"
#include "app/text.h"
#include "app/widgets.h"
#include "app/window_geometry.h"
#include "app/wizard_panel.h"
#include "common/version.h"

// The artwork lives in the static library's resources, which must be registered by hand.
static void RegisterArtwork() { Q_INIT_RESOURCE(trubkom); }

namespace trubkom::app {

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

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

// What a screen reader says of a control: its name, and what it does (the hint bar's text).
void Describe(QWidget* widget, const QString& name, const QString& description) {
  if (!name.isEmpty()) widget->setAccessibleName(name);
  widget->setAccessibleDescription(description.trimmed());
}

// The hint bar's texts of the frames, which screen readers say as their lists' descriptions.
constexpr const char* kModelsHint = " Здесь показан модельный ряд выбранного вами производителя";
constexpr const char* kBasketHint = " Сюда переносятся выбранные модели телефонов для сравнения";
constexpr const char* kWizardHint = " Этот мастер поможет подобрать подходящую вам модель";
constexpr const char* kNewModelsHint =
    " О новых моделях, добавленных с помощью модуля автообновления можно узнать из этого списка";

// The side columns' widths as laid out, and their least.
constexpr int kModelsColumnWidth = 217;
constexpr int kWizardColumnWidth = 184;

// A list keeps its header and a few rows in sight before its column has to scroll.
constexpr int kListMinimumHeight = 54;

QWidget* Strip(QWidget* parent, int height) {
  auto* strip = new QWidget(parent);
  strip->setFixedHeight(height);
  return strip;
}

QVBoxLayout* Column(QWidget* owner) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

QHBoxLayout* Row(QWidget* owner) {
  auto* layout = new QHBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

void FillBackground(QWidget* widget, const QColor& colour) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
}

// A key in a list runs a command on the list's current row, as a double click does on the row
// clicked.
class KeyFilter : public QObject {
 public:
  KeyFilter(QTreeWidget* list, QList<int> keys, std::function<void()> command)
      : QObject(list), list_(list), keys_(std::move(keys)), command_(std::move(command)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        keys_.contains(static_cast<QKeyEvent*>(event)->key())) {
      if (QTreeWidgetItem* row = list_->currentItem()) {
        row->setSelected(true);
        command_();
      }
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QTreeWidget* list_;
  QList<int> keys_;
  std::function<void()> command_;
};

}  // namespace

MainWindow::MainWindow(catalogue::Folders folders, MainWindowPorts ports, QWidget* parent)
    : QWidget(parent), state_(std::move(folders)), ports_(ports) {
  RegisterArtwork();
  setWindowTitle(U("Trubkom v") + QString::fromLatin1(kVersion));
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
  // The user may widen the side columns at the expense of the browser area, never narrow them
  // below the widths they were laid out for.
  columns_ = new QSplitter(Qt::Horizontal, this);
  columns_->setObjectName(U("columns"));
  columns_->setChildrenCollapsible(false);
  columns_->setHandleWidth(3);
  columns_->addWidget(BuildColumn(kModelsColumnWidth, BuildModelsFrame(), BuildBasketFrame()));
  ports_.browser_widget->setObjectName(U("browser"));
  columns_->addWidget(ports_.browser_widget);
  columns_->addWidget(BuildColumn(kWizardColumnWidth, BuildWizardFrame(), BuildNewModelsFrame()));
  columns_->setStretchFactor(0, 0);
  columns_->setStretchFactor(1, 1);
  columns_->setStretchFactor(2, 0);
  columns_->setSizes({kModelsColumnWidth, width(), kWizardColumnWidth});
  // The splitter puts each new widget first among its children; in their order again, the
  // widget tree reads left to right, as screen readers walk it.
  for (int i = 0; i < columns_->count(); ++i) columns_->widget(i)->raise();
  layout->addWidget(columns_, 1);

  connect(wizard_, &WizardPanel::pageShown, this, &MainWindow::OrderFocusChain);
  Describe(ports_.browser_widget, U("Страница"),
           U("Описание модели, сравнение моделей или страница магазина"));
  AddShortcuts();
  StartupLoad();
  CreateUpdateDialog();
}

void MainWindow::AddShortcuts() {
  // Ctrl+Enter is Return on the main keyboard and Enter on the keypad.
  static const std::pair<QKeyCombination, void (MainWindow::*)()> kShortcuts[] = {
      {Qt::ALT | Qt::Key_Left, &MainWindow::PreviousModel},
      {Qt::ALT | Qt::Key_Right, &MainWindow::NextModel},
      {Qt::CTRL | Qt::Key_B, &MainWindow::AddSelectedModelToBasket},
      {QKeyCombination(Qt::Key_F5), &MainWindow::Update},
      {Qt::CTRL | Qt::Key_Return, &MainWindow::Compare},
      {Qt::CTRL | Qt::Key_Enter, &MainWindow::Compare},
      {QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Enter),
       &MainWindow::Compare},
      {QKeyCombination(Qt::Key_F1), &MainWindow::ShowAbout},
      {Qt::CTRL | Qt::Key_F, &MainWindow::FocusSearch},
  };
  for (const auto& [keys, command] : kShortcuts) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    connect(shortcut, &QShortcut::activated, this, command);
  }
}

void MainWindow::OrderFocusChain() {
  QList<QWidget*> chain(toolbar_.begin(), toolbar_.end());
  chain << brand_box_ << search_field_ << models_ << search_results_ << full_only_ << basket_
        << compare_button_ << ports_.browser_widget << wizard_->FocusOrder() << new_models_;
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
    ShowHintsOf(button);
    toolbar_.push_back(button);
  }
  previous_button_ = toolbar_[0];
  next_button_ = toolbar_[1];
  row->addWidget(toolbar);
  row->addSpacing(13);

  hint_bar_ = new QLabel(strip);
  hint_bar_->setObjectName(U("hintBar"));
  Describe(hint_bar_, U("Подсказка"), U("Что делает элемент под указателем мыши"));
  hint_bar_->setAlignment(Qt::AlignCenter);
  QFont tahoma(U("Tahoma"));
  tahoma.setPixelSize(11);
  hint_bar_->setFont(tahoma);
  QPalette palette = hint_bar_->palette();
  palette.setColor(QPalette::WindowText, colours::kPaleBlue);
  hint_bar_->setPalette(palette);
  FillBackground(hint_bar_, colours::kDarkBlue);
  row->addWidget(hint_bar_, 1);
  row->addSpacing(13);
  return strip;
}

QWidget* MainWindow::Title(const char* text, const char* hint, int height) {
  auto* title = new FrameTitle(U(text), U(hint), height);
  title->setObjectName(U("title"));
  Describe(title, {}, U(hint));
  connect(title, &FrameTitle::hintEntered, this, &MainWindow::ShowHint);
  connect(title, &FrameTitle::hintLeft, this, [this] { ShowHint({}); });
  return title;
}

QMenu* MainWindow::ContextMenu(
    QTreeWidget* list,
    std::initializer_list<std::pair<const char*, void (MainWindow::*)()>> items) {
  auto* menu = new QMenu(list);
  for (const auto& [caption, command] : items) {
    menu->addAction(U(caption), this, command);
  }
  connect(list, &QWidget::customContextMenuRequested, menu,
          [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
  return menu;
}

void MainWindow::OnKey(QTreeWidget* list, Qt::Key key, void (MainWindow::*command)()) {
  QList<int> keys{key};
  if (key == Qt::Key_Return) keys << Qt::Key_Enter;  // the keypad's
  list->installEventFilter(new KeyFilter(list, keys, [this, command] { (this->*command)(); }));
}

void MainWindow::ShowHintsOf(PictureButton* button) {
  connect(button, &PictureButton::hintMoved, this, &MainWindow::ShowHint);
  connect(button, &PictureButton::hintLeft, this, [this] { ShowHint({}); });
}

QWidget* MainWindow::BuildColumn(int width, QWidget* upper, QWidget* lower) {
  auto* column = new GradientPanel(colours::kColumnTop, colours::kColumnBottom, this);
  column->setMinimumWidth(width);
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
  scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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

QWidget* MainWindow::BuildWizardFrame() {
  auto* frame = new QWidget;
  FillBackground(frame, colours::kLightBlue);
  auto* layout = Column(frame);
  layout->addWidget(Title("Подбор модели", kWizardHint, 20));

  wizard_ = new WizardPanel(frame);
  connect(wizard_->next_button(), &QPushButton::clicked, this, &MainWindow::WizardNext);
  connect(wizard_->clear_button(), &QPushButton::clicked, this, &MainWindow::WizardClear);
  connect(wizard_->results(), &QTreeWidget::itemDoubleClicked, this, &MainWindow::ShowResultModel);
  OnKey(wizard_->results(), Qt::Key_Return, &MainWindow::ShowResultModel);
  connect(wizard_, &WizardPanel::checkedAnswersChanged, this, &MainWindow::ShowAnswerCounts);
  ContextMenu(wizard_->results(), {{"Добавить в корзину", &MainWindow::AddResultToBasket}});
  layout->addWidget(wizard_, 1);
  return frame;
}

QWidget* MainWindow::BuildNewModelsFrame() {
  auto* frame = new QWidget;
  frame->setFixedHeight(147);
  auto* layout = Column(frame);
  layout->addWidget(Title("Новинки", kNewModelsHint, 20));
  auto* content = new GradientPanel(colours::kPaleBlue, Qt::white, frame);
  auto* inner = Column(content);

  auto* date_bar = Strip(content, 18);
  auto* bar = Row(date_bar);
  auto arrow_button = [date_bar](const char* bitmap) {
    auto* button = new QToolButton(date_bar);
    button->setIcon(QIcon(U(bitmap)));
    button->setIconSize(QSize(18, 18));
    button->setFixedSize(18, 18);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->hide();
    return button;
  };
  older_button_ = arrow_button(":/BITBTN9_BITMAP");
  older_button_->setObjectName(U("older"));
  Describe(older_button_, U("Более ранние новинки"), U("Новинки предыдущего обновления"));
  newer_button_ = arrow_button(":/BITBTN10_BITMAP");
  newer_button_->setObjectName(U("newer"));
  Describe(newer_button_, U("Более поздние новинки"), U("Новинки следующего обновления"));
  connect(older_button_, &QAbstractButton::clicked, this, &MainWindow::ShowOlderNewModels);
  connect(newer_button_, &QAbstractButton::clicked, this, &MainWindow::ShowNewerNewModels);
  date_label_ = new QLabel(date_bar);
  date_label_->setObjectName(U("date"));
  Describe(date_label_, {}, U("Дата обновления, добавившего эти модели"));
  date_label_->setAlignment(Qt::AlignCenter);
  QFont bold_tahoma(U("Tahoma"));
  bold_tahoma.setPixelSize(11);
  bold_tahoma.setBold(true);
  date_label_->setFont(bold_tahoma);
  bar->addWidget(older_button_);
  bar->addWidget(date_label_, 1);
  bar->addWidget(newer_button_);
  inner->addWidget(date_bar);

  new_models_ = new ReportList({U("Модель")}, {121}, content);
  new_models_->setObjectName(U("newModels"));
  Describe(new_models_, U("Новинки"), U(kNewModelsHint));
  new_models_->header()->setSectionsMovable(true);
  connect(new_models_, &QTreeWidget::itemDoubleClicked, this, &MainWindow::ShowNewModel);
  OnKey(new_models_, Qt::Key_Return, &MainWindow::ShowNewModel);
  ContextMenu(new_models_, {{"Добавить в корзину", &MainWindow::AddNewModelToBasket},
                            {"Посмотреть описание", &MainWindow::ShowNewModel}});
  inner->addWidget(new_models_, 1);
  layout->addWidget(content, 1);
  return frame;
}

QWidget* MainWindow::BuildModelsFrame() {
  auto* frame = new QWidget;
  auto* layout = Column(frame);
  layout->addWidget(Title("Модели", kModelsHint, 19));
  auto* content = new GradientPanel(colours::kPaleBlue, Qt::white, frame);
  auto* inner = Column(content);

  brand_box_ = new QComboBox(content);
  brand_box_->setObjectName(U("brands"));
  Describe(brand_box_, U("Производитель"), U(kModelsHint));
  brand_box_->setEditable(false);
  brand_box_->setFixedHeight(26);
  connect(brand_box_, &QComboBox::currentIndexChanged, this, [this] {
    std::string brand = FromQt(brand_box_->currentText());
    search_field_->clear();  // a brand chosen shows its list
    if (brand != state_.current_brand) FillModelList(brand);
  });
  inner->addWidget(brand_box_);
  inner->addWidget(BuildSearch(content));

  models_ = new ReportList({U("Модель"), U("Цена")}, {121, 50}, content);
  models_->setObjectName(U("models"));
  Describe(models_, U("Модели"), U(kModelsHint));
  models_->setMinimumHeight(kListMinimumHeight);
  OnKey(models_, Qt::Key_Return, &MainWindow::ShowSelectedModel);
  connect(models_, &QTreeWidget::currentItemChanged, this, &MainWindow::EnableStepButtons);
  connect(models_, &ReportList::focusTakenByUser, this, &MainWindow::ShowSelectedModel);
  connect(models_, &QTreeWidget::itemDoubleClicked, this, &MainWindow::ShowSelectedModel);
  ContextMenu(models_, {{"Добавить в корзину", &MainWindow::AddSelectedModelToBasket},
                        {"Посмотреть описание", &MainWindow::ShowSelectedModel}});
  inner->addWidget(models_, 1);
  inner->addWidget(search_results_, 1);

  auto* filter_strip = Strip(content, 21);
  auto* filter_row = Row(filter_strip);
  full_only_ = new QCheckBox(U("Только с полным описанием"), filter_strip);
  full_only_->setObjectName(U("fullOnly"));
  Describe(full_only_, {}, U("Показывать только модели с полным описанием, отмеченные звёздочкой"));
  full_only_->setFixedWidth(207);
  connect(full_only_, &QCheckBox::clicked, this, [this] {
    if (!brand_box_->currentText().isEmpty()) FillModelList(FromQt(brand_box_->currentText()));
  });
  search_count_ = new QLabel(filter_strip);
  search_count_->setObjectName(U("searchCount"));
  search_count_->hide();
  filter_row->addSpacing(4);
  filter_row->addWidget(search_count_);
  filter_row->addStretch(1);
  filter_row->addWidget(full_only_);
  inner->addWidget(filter_strip);
  layout->addWidget(content, 1);
  return frame;
}

QWidget* MainWindow::BuildSearch(QWidget* content) {
  search_field_ = new QLineEdit(content);
  search_field_->setObjectName(U("search"));
  search_field_->setPlaceholderText(U("Поиск модели"));
  search_field_->setClearButtonEnabled(true);
  search_field_->setFixedHeight(22);
  Describe(search_field_, U("Поиск модели"),
           U("Модели всех производителей, в названии которых есть каждое слово (Ctrl+F)"));
  connect(search_field_, &QLineEdit::textChanged, this, &MainWindow::ShowSearchResults);
  connect(search_field_, &QLineEdit::returnPressed, this, &MainWindow::OpenFirstSearchResult);
  // Down goes into the rows found, Escape back to the brand's list.
  auto* down = new QShortcut(QKeySequence(Qt::Key_Down), search_field_, nullptr, nullptr,
                             Qt::WidgetShortcut);
  connect(down, &QShortcut::activated, this, [this] {
    if (search_results_->isVisible()) search_results_->setFocus(Qt::OtherFocusReason);
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), search_field_, nullptr, nullptr,
                               Qt::WidgetShortcut);
  connect(escape, &QShortcut::activated, this, &MainWindow::LeaveSearch);

  // Its rows name the brand too: the model's column takes most of the width.
  search_results_ = new ReportList({U("Модель"), U("Цена")}, {146, 40}, content);
  search_results_->setObjectName(U("searchResults"));
  Describe(search_results_, U("Найденные модели"),
           U("Модели всех производителей, найденные поиском"));
  search_results_->setMinimumHeight(kListMinimumHeight);
  search_results_->hide();
  connect(search_results_, &QTreeWidget::itemDoubleClicked, this, &MainWindow::ShowSearchResult);
  OnKey(search_results_, Qt::Key_Return, &MainWindow::ShowSearchResult);
  OnKey(search_results_, Qt::Key_Escape, &MainWindow::LeaveSearch);
  ContextMenu(search_results_, {{"Добавить в корзину", &MainWindow::AddSearchResultToBasket},
                                {"Посмотреть описание", &MainWindow::ShowSearchResult}});
  // When only the first rows are listed, another order lists other rows first.
  connect(search_results_, &ReportList::orderChanged, this, [this] {
    if (search_cut_) ShowSearchResults();
  });
  return search_field_;
}

QWidget* MainWindow::BuildBasketFrame() {
  auto* frame = new QWidget;
  frame->setFixedHeight(145);
  auto* layout = Column(frame);
  layout->addWidget(Title("Корзина", kBasketHint, 20));
  auto* content = new GradientPanel(colours::kPaleBlue, Qt::white, frame);
  auto* inner = Column(content);
  basket_ = new ReportList({U("Модель"), U("Цена")}, {121, 50}, content);
  basket_->setObjectName(U("basket"));
  Describe(basket_, U("Корзина"), U(kBasketHint));
  basket_->header()->setSectionsMovable(true);
  connect(basket_, &QTreeWidget::itemDoubleClicked, this, &MainWindow::ShowBasketModel);
  OnKey(basket_, Qt::Key_Return, &MainWindow::ShowBasketModel);
  OnKey(basket_, Qt::Key_Delete, &MainWindow::RemoveFromBasket);
  ContextMenu(basket_, {{"Удалить из списка", &MainWindow::RemoveFromBasket},
                        {"Посмотреть описание", &MainWindow::ShowBasketModel},
                        {"Очистить корзину", &MainWindow::ClearBasket}});
  inner->addWidget(basket_, 1);

  // The comparison is offered below the basket it compares.
  auto* compare_strip = Strip(content, 22);
  auto* compare_row = Row(compare_strip);
  auto* compare =
      new PictureButton({}, {}, U(" Сравнить выбранные модели телефонов"), compare_strip);
  compare->setObjectName(U("compare"));
  Describe(compare, {}, U(" Сравнить выбранные модели телефонов"));
  compare_button_ = compare;
  compare->setToolButtonStyle(Qt::ToolButtonTextOnly);
  compare->setText(U("Сравнить"));
  compare->setFixedSize(80, 20);
  compare->setStyleSheet(
      U("QToolButton { border: 1px solid #2C60AC; border-radius: 3px;"
        " background: #D5E6FA; color: #2C60AC; font-weight: bold; }"
        "QToolButton:hover, QToolButton:focus { background: #FFFFFF; }"));
  connect(compare, &QToolButton::clicked, this, &MainWindow::Compare);
  ShowHintsOf(compare);
  compare_row->addStretch(1);
  compare_row->addWidget(compare);
  compare_row->addSpacing(4);
  inner->addWidget(compare_strip);
  layout->addWidget(content, 1);
  return frame;
}

void MainWindow::ShowHint(const QString& hint) {
  if (!notice_.isEmpty()) {
    if (hint == hint_under_notice_) return;
    notice_.clear();
  }
  if (hint_bar_->text() != hint) hint_bar_->setText(hint);
}

void MainWindow::ShowNotice(const char* notice) {
  if (notice_.isEmpty()) hint_under_notice_ = hint_bar_->text();
  notice_ = U(notice);
  hint_bar_->setText(notice_);
}

}  // namespace trubkom::app
