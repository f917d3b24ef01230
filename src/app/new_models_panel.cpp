#include "app/new_models_panel.h"

#include <QHeaderView>
#include <QShortcut>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "app/panel_parts.h"
#include "app/text.h"
#include "app/widgets.h"
#include "common/warnings.h"
#include "selection/new_models.h"

namespace trubkom::app {

namespace {

constexpr const char* kNewModelsHint =
    " О новых моделях, добавленных с помощью модуля автообновления можно узнать из этого списка";

QAbstractButton* ArrowButton(QWidget* bar, const char* bitmap, const char* name, const char* label,
                             const char* description) {
  auto* button = new QToolButton(bar);
  button->setIcon(QIcon(U(bitmap)));
  button->setIconSize(QSize(18, 18));
  button->setFixedSize(18, 18);
  button->setFocusPolicy(Qt::TabFocus);
  button->setAutoRaise(true);
  button->hide();
  button->setObjectName(U(name));
  Describe(button, U(label), U(description));
  return button;
}

}  // namespace

NewModelsPanel::NewModelsPanel(QWidget* parent) : QWidget(parent) {
  auto* inner = Column(this);
  auto* date_bar = Strip(this, 18);
  auto* bar = Row(date_bar);
  older_button_ = ArrowButton(date_bar, ":/BITBTN9_BITMAP", "older", "Более ранние новинки",
                              "Новинки предыдущего обновления (Alt+PgDown)");
  newer_button_ = ArrowButton(date_bar, ":/BITBTN10_BITMAP", "newer", "Более поздние новинки",
                              "Новинки следующего обновления (Alt+PgUp)");
  connect(older_button_, &QAbstractButton::clicked, this, [this] { Step(1); });
  connect(newer_button_, &QAbstractButton::clicked, this, [this] { Step(-1); });
  // From anywhere in the window, as the arrows' buttons when they are offered.
  for (auto [keys, button] : {std::pair{Qt::ALT | Qt::Key_PageDown, older_button_},
                              std::pair{Qt::ALT | Qt::Key_PageUp, newer_button_}}) {
    auto* shortcut = new QShortcut(QKeySequence(keys), this);
    connect(shortcut, &QShortcut::activated, button, [button] {
      if (button->isVisible()) button->click();
    });
  }
  date_label_ = new QLabel(date_bar);
  date_label_->setObjectName(U("date"));
  Describe(date_label_, {}, U("Дата обновления, добавившего эти модели"));
  date_label_->setAlignment(Qt::AlignCenter);
  date_label_->setTextFormat(Qt::PlainText);  // made of a file's name
  QFont bold_tahoma(U("Tahoma"));
  bold_tahoma.setPixelSize(11);
  bold_tahoma.setBold(true);
  date_label_->setFont(bold_tahoma);
  bar->addWidget(older_button_);
  bar->addWidget(date_label_, 1);
  bar->addWidget(newer_button_);
  inner->addWidget(date_bar);

  list_ = new ReportList({U("Модель")}, {121}, this);
  list_->setObjectName(U("newModels"));
  Describe(list_, U("Новинки"), U(kNewModelsHint));
  list_->header()->setSectionsMovable(true);
  auto show = [this] { AskFor(&NewModelsPanel::showModel); };
  auto add = [this] { AskFor(&NewModelsPanel::addToBasket); };
  connect(list_, &QTreeWidget::itemDoubleClicked, this, show);
  OnKey(list_, Qt::Key_Return, show);
  AddContextMenu(list_, {{"Добавить в корзину", add}, {"Посмотреть описание", show}});
  inner->addWidget(list_, 1);
}

void NewModelsPanel::ShowFiles(common::StringList files) {
  const bool same = files == files_;
  const std::string current = same ? CurrentRowText(list_) : std::string();
  files_ = std::move(files);
  if (!same) index_ = 0;
  ShowFile();
  MakeCurrent(list_, current);
}

void NewModelsPanel::Step(int by) {
  index_ += by;
  ShowFile();
}

void NewModelsPanel::ShowFile() {
  int last = static_cast<int>(files_.size()) - 1;
  if (last < 0) {
    // The date and the rows on show stay as they are; no step is offered.
    older_button_->hide();
    newer_button_->hide();
    return;
  }
  index_ = std::clamp(index_, 0, last);
  const std::string& file = files_[static_cast<std::size_t>(index_)];
  date_label_->setText(ToQt(selection::NewModelFileDate(file)));
  older_button_->setVisible(index_ < last);
  newer_button_->setVisible(index_ > 0);
  // A file that vanished since the listing shows an empty list.
  QList<QStringList> rows;
  for (const std::string& row : common::ValueOrWarn(selection::NewModelRows(file))) {
    rows.append({ToQt(row)});
  }
  list_->ShowRows(rows);
}

void NewModelsPanel::AskFor(void (NewModelsPanel::*ask)(const std::string&)) {
  QTreeWidgetItem* row = SelectedRow(list_);
  if (row && !row->text(0).isEmpty()) emit(this->*ask)(FromQt(row->text(0)));
}

}  // namespace trubkom::app
