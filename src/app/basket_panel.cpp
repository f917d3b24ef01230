#include "app/basket_panel.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <utility>

#include "app/panel_parts.h"
#include "app/text.h"
#include "app/widgets.h"

namespace trubkom::app {

namespace {

constexpr const char* kBasketHint = " Сюда переносятся выбранные модели телефонов для сравнения";
constexpr const char* kCompareHint = " Сравнить выбранные модели телефонов";

}  // namespace

BasketPanel::BasketPanel(QWidget* parent) : QWidget(parent) {
  auto* inner = Column(this);
  list_ = new ReportList({U("Модель"), U("Цена")}, {121, 50}, this);
  list_->setObjectName(U("basket"));
  Describe(list_, U("Корзина"), U(kBasketHint));
  list_->header()->setSectionsMovable(true);
  auto show = [this] { ShowSelected(); };
  auto remove = [this] { RemoveSelected(); };
  connect(list_, &QTreeWidget::itemDoubleClicked, this, show);
  OnKey(list_, Qt::Key_Return, show);
  OnKey(list_, Qt::Key_Delete, remove);
  AddContextMenu(list_, {{"Удалить из списка", remove},
                         {"Посмотреть описание", show},
                         {"Очистить корзину", [this] { Clear(); }}});
  inner->addWidget(list_, 1);

  // The comparison is offered below the basket it compares.
  auto* compare_strip = Strip(this, 22);
  auto* compare_row = Row(compare_strip);
  compare_button_ = new PictureButton({}, {}, U(kCompareHint), compare_strip);
  compare_button_->setObjectName(U("compare"));
  Describe(compare_button_, {}, U(kCompareHint));
  compare_button_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  compare_button_->setText(U("Сравнить"));
  compare_button_->setFixedSize(80, 20);
  compare_button_->setStyleSheet(
      U("QToolButton { border: 1px solid #2C60AC; border-radius: 3px;"
        " background: #D5E6FA; color: #2C60AC; font-weight: bold; }"
        "QToolButton:hover, QToolButton:focus { background: #FFFFFF; }"));
  connect(compare_button_, &QToolButton::clicked, this, &BasketPanel::compareRequested);
  differences_box_ = new QCheckBox(U("Только различия"), compare_strip);
  differences_box_->setObjectName(U("onlyDifferences"));
  Describe(differences_box_, {}, U(" Сравнивать только строки, в которых модели различаются"));
  connect(differences_box_, &QCheckBox::clicked, this, &BasketPanel::onlyDifferencesSwitched);
  compare_row->addSpacing(4);
  compare_row->addWidget(differences_box_);
  compare_row->addStretch(1);
  compare_row->addWidget(compare_button_);
  compare_row->addSpacing(4);
  inner->addWidget(compare_strip);
}

void BasketPanel::SetOnlyDifferences(bool on) {
  QSignalBlocker quiet(differences_box_);
  differences_box_->setChecked(on);
}

bool BasketPanel::Add(const std::string& entry, const std::string& price) {
  if (!basket_.Add(entry, price)) return false;
  list_->AddRow({ToQt(entry), ToQt(price)});
  return true;
}

void BasketPanel::Replace(catalogue::Basket basket) {
  const std::string current = CurrentRowText(list_);
  basket_ = std::move(basket);
  QList<QStringList> rows;
  for (const catalogue::BasketEntry& entry : basket_.entries()) {
    rows.append({ToQt(entry.model), ToQt(entry.price)});
  }
  list_->ShowRows(rows);
  MakeCurrent(list_, current);
}

int BasketPanel::SelectedPosition() const {
  QTreeWidgetItem* row = SelectedRow(list_);
  if (!row) return -1;
  std::string model = FromQt(row->text(0));
  const std::vector<catalogue::BasketEntry>& entries = basket_.entries();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].model == model) return static_cast<int>(i);
  }
  return -1;
}

void BasketPanel::ShowSelected() {
  int position = SelectedPosition();
  if (position >= 0) emit showModel(basket_.entries()[std::size_t(position)].model);
}

void BasketPanel::RemoveSelected() {
  int position = SelectedPosition();
  if (position < 0) return;
  basket_.Remove(std::size_t(position));
  delete SelectedRow(list_);
}

void BasketPanel::Clear() {
  if (basket_.empty()) return;
  cleared_ = std::exchange(basket_, catalogue::Basket());
  list_->clear();
  list_->ResetOrder();
  emit cleared();
}

void BasketPanel::UndoClear() {
  if (cleared_.empty() || !basket_.empty()) return;
  Replace(std::exchange(cleared_, catalogue::Basket()));
}

}  // namespace trubkom::app
