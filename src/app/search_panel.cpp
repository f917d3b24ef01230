#include "app/search_panel.h"

#include <QShortcut>
#include <algorithm>
#include <cstdint>

#include "app/panel_parts.h"
#include "app/text.h"

namespace trubkom::app {

namespace {

// The search lists at most this many rows, so that a list appears within a frame of a key
// press however many models the words still leave (a list widget takes about a microsecond a
// row); the count says how many were found.
constexpr std::size_t kSearchRowsListed = 1000;

// A list keeps its header and a few rows in sight before its column has to scroll.
constexpr int kListMinimumHeight = 54;

// The first rows found in the order the list is sorted by.
std::vector<catalogue::FoundModel> FirstListed(std::vector<catalogue::FoundModel> found,
                                               const catalogue::ColumnOrder& order) {
  std::vector<catalogue::FoundModel> first;
  std::vector<std::string> texts;
  texts.reserve(found.size());
  for (const catalogue::FoundModel& model : found) {
    texts.push_back(order.column() == 0 ? model.Entry() : model.price);
  }
  for (std::size_t place : order.Arrange(texts)) {
    if (first.size() == kSearchRowsListed) break;
    first.push_back(std::move(found[place]));
  }
  return first;
}

}  // namespace

SearchPanel::SearchPanel(QWidget* parent) : QObject(parent) {
  field_ = new QLineEdit(parent);
  field_->setObjectName(U("search"));
  field_->setPlaceholderText(U("Поиск модели"));
  field_->setClearButtonEnabled(true);
  field_->setFixedHeight(22);
  Describe(field_, U("Поиск модели"),
           U("Модели всех производителей, в названии которых есть каждое слово (Ctrl+F)"));
  connect(field_, &QLineEdit::textChanged, this, &SearchPanel::ShowResults);
  connect(field_, &QLineEdit::returnPressed, this, &SearchPanel::OpenFirst);
  // Down goes into the rows found, Escape back to the brand's list.
  auto* down =
      new QShortcut(QKeySequence(Qt::Key_Down), field_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(down, &QShortcut::activated, this, [this] {
    if (results_->isVisible()) results_->setFocus(Qt::OtherFocusReason);
  });
  auto* escape =
      new QShortcut(QKeySequence(Qt::Key_Escape), field_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(escape, &QShortcut::activated, this, &SearchPanel::Leave);

  // Its rows name the brand too: the model's column takes most of the width.
  results_ = new ReportList({U("Модель"), U("Цена")}, {146, 40}, parent);
  results_->setObjectName(U("searchResults"));
  Describe(results_, U("Найденные модели"), U("Модели всех производителей, найденные поиском"));
  results_->setMinimumHeight(kListMinimumHeight);
  results_->hide();
  auto show = [this] { AskFor(&SearchPanel::showModel); };
  connect(results_, &QTreeWidget::itemDoubleClicked, this, show);
  OnKey(results_, Qt::Key_Return, show);
  OnKey(results_, Qt::Key_Escape, [this] { Leave(); });
  AddContextMenu(results_, {{"Добавить в корзину", [this] { AskFor(&SearchPanel::addToBasket); }},
                            {"Посмотреть описание", show}});
  // When only the first rows are listed, another order lists other rows first.
  connect(results_, &ReportList::orderChanged, this, [this] {
    if (cut_) ShowResults();
  });

  count_ = new QLabel(parent);
  count_->setObjectName(U("searchCount"));
  count_->hide();
}

void SearchPanel::SetSearch(catalogue::ModelSearch search) {
  search_ = std::move(search);
  if (!field_->text().isEmpty()) ShowResults();  // found in the catalogue read anew
}

void SearchPanel::Focus() {
  field_->setFocus(Qt::ShortcutFocusReason);
  field_->selectAll();
}

void SearchPanel::ShowResults() {
  if (field_->text().trimmed().isEmpty()) {
    // No words: the brand's list again, and the next search starts in its own order.
    emit searching(false);
    results_->hide();
    count_->hide();
    results_->clear();
    results_->ResetOrder();
    cut_ = false;
    return;
  }
  // In its own order the list needs the first rows alone; sorted by a column, all of them.
  const bool sorted = results_->order().column() >= 0;
  catalogue::SearchResult result =
      search_.Find(FromQt(field_->text()), sorted ? SIZE_MAX : kSearchRowsListed);
  std::vector<catalogue::FoundModel> found = std::move(result.first);
  const std::size_t total = result.total;
  cut_ = total > kSearchRowsListed;
  if (cut_ && sorted) found = FirstListed(std::move(found), results_->order());
  QList<QStringList> rows;
  rows.reserve(static_cast<qsizetype>(found.size()));
  for (const catalogue::FoundModel& model : found) {
    rows.append({ToQt(model.Entry()), ToQt(model.price)});
  }
  results_->ShowRows(rows);
  if (results_->topLevelItemCount() > 0) results_->setCurrentItem(results_->topLevelItem(0));
  count_->setText(cut_ ? QString::fromUtf8("Показаны %1 из %2").arg(found.size()).arg(total)
                       : QString::fromUtf8("Найдено: %1").arg(total));
  emit searching(true);
  results_->show();
  count_->show();
  if (total == 0) emit nothingFound();
}

void SearchPanel::OpenFirst() {
  QTreeWidgetItem* row = results_->currentItem();
  if (!row || results_->isHidden()) return;
  row->setSelected(true);
  AskFor(&SearchPanel::showModel);
}

void SearchPanel::Leave() {
  bool in_field = field_->hasFocus();
  field_->clear();
  if (in_field) emit left();  // no page opens for it
}

void SearchPanel::AskFor(void (SearchPanel::*ask)(const std::string&)) {
  QTreeWidgetItem* row = SelectedRow(results_);
  if (row) emit(this->*ask)(FromQt(row->text(0)));
}

}  // namespace trubkom::app
