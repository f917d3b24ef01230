#include "app/models_panel.h"

#include <QSignalBlocker>
#include <algorithm>

#include "app/panel_parts.h"
#include "app/search_panel.h"
#include "app/text.h"
#include "catalogue/brand_spellings.h"
#include "catalogue/model_list.h"
#include "catalogue/price_range.h"
#include "common/ascii.h"

namespace trubkom::app {

namespace {

constexpr const char* kModelsHint = " Здесь показан модельный ряд выбранного вами производителя";

// A list keeps its header and a few rows in sight before its column has to scroll.
constexpr int kListMinimumHeight = 54;

}  // namespace

ModelsPanel::ModelsPanel(const AppState& state, QWidget* parent) : QWidget(parent), state_(state) {
  auto* inner = Column(this);
  brand_box_ = new QComboBox(this);
  brand_box_->setObjectName(U("brands"));
  Describe(brand_box_, U("Производитель"), U(kModelsHint));
  brand_box_->setEditable(false);
  brand_box_->setFixedHeight(26);
  connect(brand_box_, &QComboBox::currentIndexChanged, this, [this] {
    std::string brand = FromQt(brand_box_->currentText());
    search_->Clear();  // a brand chosen shows its list
    if (brand != current_brand_) FillList(brand);
  });
  inner->addWidget(brand_box_);
  search_ = new SearchPanel(this);
  inner->addWidget(search_->field());

  list_ = new ReportList({U("Модель"), U("Цена")}, {121, 50}, this);
  list_->setObjectName(U("models"));
  Describe(list_, U("Модели"), U(kModelsHint));
  list_->setMinimumHeight(kListMinimumHeight);
  auto show = [this] { ShowSelected(); };
  OnKey(list_, Qt::Key_Return, show);
  connect(list_, &QTreeWidget::currentItemChanged, this, &ModelsPanel::rowsChanged);
  connect(list_, &ReportList::focusTakenByUser, this, show);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, show);
  AddContextMenu(
      list_, {{"Добавить в корзину", [this] { AddSelected(); }}, {"Посмотреть описание", show}});
  inner->addWidget(list_, 1);
  inner->addWidget(search_->results(), 1);

  auto* filter_strip = Strip(this, 21);
  auto* filter_row = Row(filter_strip);
  full_only_ = new QCheckBox(U("Только с полным описанием"), filter_strip);
  full_only_->setObjectName(U("fullOnly"));
  Describe(full_only_, {}, U("Показывать только модели с полным описанием, отмеченные звёздочкой"));
  full_only_->setFixedWidth(207);
  connect(full_only_, &QCheckBox::clicked, this, [this] {
    if (!brand_box_->currentText().isEmpty()) FillList(FromQt(brand_box_->currentText()));
  });
  search_->count()->setParent(filter_strip);
  filter_row->addSpacing(4);
  filter_row->addWidget(search_->count());
  filter_row->addStretch(1);
  filter_row->addWidget(full_only_);
  inner->addWidget(filter_strip);

  // The rows found take the list's place and the filter's while words are typed; the focus moves
  // back over before the rows found are hidden, so that hiding them does not pass it on down the
  // Tab chain.
  connect(search_, &SearchPanel::searching, this, [this](bool on) {
    list_->setVisible(!on);
    full_only_->setVisible(!on);
    if (!on && search_->results()->hasFocus()) list_->setFocus(Qt::OtherFocusReason);
  });
  connect(search_, &SearchPanel::left, this, [this] { list_->setFocus(Qt::OtherFocusReason); });
}

void ModelsPanel::ShowCatalogue(const LoadedCatalogue& loaded, bool again) {
  const std::string current_row = CurrentRowText(list_);
  {
    QSignalBlocker quiet(brand_box_);
    brand_box_->clear();
    for (const std::string& brand : loaded.brands) brand_box_->addItem(ToQt(brand));
    if (brand_box_->count() > 0) brand_box_->setCurrentIndex(0);
  }
  if (!again) {
    current_brand_ = FromQt(brand_box_->currentText());
    std::optional<QString> restored = std::exchange(restored_brand_, std::nullopt);
    if (restored && brand_box_->count() > 0) {
      ShowRestoredBrand(*restored, &loaded);
    } else {
      ShowRows(loaded.first_models);
    }
    return;
  }
  // The brand on show and its current row; a model the update removed has no row to keep.
  int brand = brand_box_->findText(ToQt(current_brand_), Qt::MatchFixedString);
  if (brand > 0) {
    QSignalBlocker quiet(brand_box_);
    brand_box_->setCurrentIndex(brand);
  }
  std::string shown_brand = FromQt(brand_box_->currentText());
  bool same_brand = common::EqualsIgnoringAsciiCase(shown_brand, current_brand_);
  current_brand_ = shown_brand;
  ShowRows(RowsOf(shown_brand, &loaded), same_brand ? current_row : std::string());
}

void ModelsPanel::Restore(const QString& brand, bool full_only, bool catalogue_read) {
  full_only_->setChecked(full_only);
  if (catalogue_read) {
    ShowRestoredBrand(brand);
  } else {
    restored_brand_ = brand;
  }
}

QString ModelsPanel::RememberedBrand() const {
  return restored_brand_.value_or(brand_box_->currentText());
}

std::string ModelsPanel::BoxBrand(const std::string& brand) const {
  int found = brand_box_->findText(ToQt(brand), Qt::MatchFixedString);
  return found < 0 ? brand : FromQt(brand_box_->itemText(found));
}

void ModelsPanel::FillList(const std::string& brand, const LoadedCatalogue* loaded) {
  // The row to keep current: the list's own when the brand stays, else the model on show.
  std::string keep = CurrentRowText(list_);
  if (!common::EqualsIgnoringAsciiCase(brand, current_brand_)) {
    const common::BrandAndModel& shown = state_.model_on_show;
    keep = common::EqualsIgnoringAsciiCase(shown.brand, brand) ? shown.model : std::string();
    list_->ResetOrder();  // a new brand's list comes in its own order
  }
  current_brand_ = brand;
  ShowRows(RowsOf(brand, loaded), keep);
  SayIfBrandFileMissing(brand);
}

void ModelsPanel::SayIfBrandFileMissing(const std::string& brand) {
  const std::string library_brand = catalogue::LibraryBrand(brand);
  if (brand.empty() || state_.data->HasBrandFile(library_brand)) return;
  if (!said_missing_.insert(library_brand).second) return;
  emit notice(U(" ") + QString::fromStdString(catalogue::MissingBrandFileText(brand)));
}

std::vector<catalogue::ModelRow> ModelsPanel::RowsOf(const std::string& brand,
                                                     const LoadedCatalogue* loaded) const {
  if (loaded && loaded->first_models_brand == brand &&
      loaded->first_models_full_only == full_only_->isChecked()) {
    return loaded->first_models;
  }
  return catalogue::FillModelList(state_.folders, *state_.data, state_.model_index(), brand,
                                  full_only_->isChecked());
}

void ModelsPanel::ShowRestoredBrand(const QString& brand, const LoadedCatalogue* loaded) {
  if (brand_box_->count() == 0) return;
  QSignalBlocker quiet(brand_box_);
  brand_box_->setCurrentIndex(std::max(0, brand_box_->findText(brand)));
  FillList(FromQt(brand_box_->currentText()), loaded);
}

void ModelsPanel::ShowRows(const std::vector<catalogue::ModelRow>& rows,
                           const std::string& keep_current) {
  QList<QStringList> shown, tips;
  shown.reserve(static_cast<qsizetype>(rows.size()));
  tips.reserve(static_cast<qsizetype>(rows.size()));
  for (const catalogue::ModelRow& row : rows) {
    shown.append({ToQt(row.model), ToQt(row.price)});
    tips.append({QString(), ToQt(catalogue::PriceRangeText(row.range))});
  }
  list_->ShowRows(shown, tips);
  MakeCurrent(list_, keep_current);
  emit rowsChanged();
}

std::pair<int, int> ModelsPanel::StepRows() const {
  int count = list_->topLevelItemCount();
  auto beside = [count](int row) { return std::pair{row - 1, row + 1 < count ? row + 1 : -1}; };
  const common::BrandAndModel& shown = state_.model_on_show;
  if (!shown.brand.empty() && common::EqualsIgnoringAsciiCase(shown.brand, current_brand_)) {
    for (int row = 0; row < count; ++row) {
      std::string listed = FromQt(list_->topLevelItem(row)->text(0));
      if (common::EqualsIgnoringAsciiCase(listed, shown.model)) return beside(row);
      // A list in its own (byte) order: the model on show would stand before this row.
      if (list_->InOwnOrder() && listed > shown.model) return {row - 1, row};
    }
    if (list_->InOwnOrder()) return {count - 1, -1};
  }
  if (QTreeWidgetItem* current = list_->currentItem()) {
    return beside(list_->indexOfTopLevelItem(current));
  }
  return {-1, count > 0 ? 0 : -1};
}

void ModelsPanel::StepTo(int row) {
  QTreeWidgetItem* item = list_->topLevelItem(row);
  if (!item) return;
  list_->setCurrentItem(item);
  emit showModel(current_brand_, FromQt(item->text(0)));
}

void ModelsPanel::ShowSelected() {
  QTreeWidgetItem* row = SelectedRow(list_);
  if (row) emit showModel(current_brand_, FromQt(row->text(0)));
}

void ModelsPanel::AddSelected() {
  QTreeWidgetItem* row = SelectedRow(list_);
  if (!row || row->text(0).isEmpty()) return;
  emit addToBasket(current_brand_ + " " + FromQt(row->text(0)));
}

}  // namespace trubkom::app
