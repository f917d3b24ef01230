#include "app/report_list.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

#include "app/text.h"

namespace trubkom::app {

namespace {

const QString kListStyle = QStringLiteral("QTreeWidget { color: black; background: transparent; }");
// Where a row keeps its place in the list's own order.
constexpr int kOwnPlaceRole = Qt::UserRole + 1;

const QString kSelectionHidden = QStringLiteral(
    "QTreeWidget { selection-background-color: transparent; selection-color: black; }");

}  // namespace

ReportList::ReportList(const QStringList& headers, const QList<int>& widths, QWidget* parent)
    : QTreeWidget(parent) {
  setColumnCount(static_cast<int>(headers.size()));
  setHeaderLabels(headers);
  for (int i = 0; i < widths.size(); ++i) setColumnWidth(i, widths[i]);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setContextMenuPolicy(Qt::CustomContextMenu);
  header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(true);
  header()->setSectionsClickable(true);
  connect(header(), &QHeaderView::sectionClicked, this, &ReportList::SortByColumn);
  // A click on the header gives the list the focus, but it chose no row to act on.
  connect(header(), &QHeaderView::sectionPressed, this, [this] { click_focus_pending_ = false; });
  ShowSelection(false);
}

void ReportList::ShowRows(const QList<QStringList>& rows, const QList<QStringList>& tooltips) {
  setUpdatesEnabled(false);
  clear();
  rows_given_ = 0;
  QList<QTreeWidgetItem*> items;
  items.reserve(rows.size());
  for (const QStringList& cells : rows) {
    auto* item = new QTreeWidgetItem(cells);
    const QStringList tips = tooltips.value(rows_given_);
    for (int column = 0; column < tips.size(); ++column) {
      if (!tips[column].isEmpty()) item->setToolTip(column, tips[column]);
    }
    item->setData(0, kOwnPlaceRole, rows_given_++);
    items.append(item);
  }
  addTopLevelItems(items);
  if (order_.column() >= 0) Rearrange();
  // New rows begin at their first: clearing keeps the old rows' scroll position, which would
  // hide the first rows of a list that is shorter.
  scrollToTop();
  setUpdatesEnabled(true);
}

void ReportList::AddRow(const QStringList& cells) {
  auto* item = new QTreeWidgetItem(cells);
  item->setData(0, kOwnPlaceRole, rows_given_++);
  addTopLevelItem(item);
  if (order_.column() >= 0) Rearrange();
}

void ReportList::ResetOrder() {
  order_.Reset();
  header()->setSortIndicatorShown(false);
  Rearrange();
}

void ReportList::SortByColumn(int column) {
  order_.Click(column);
  header()->setSortIndicatorShown(true);
  header()->setSortIndicator(column,
                             order_.descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
  Rearrange();
  emit orderChanged();
}

void ReportList::Rearrange() {
  QTreeWidgetItem* current = currentItem();
  bool selected = current && current->isSelected();
  QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();
  std::stable_sort(rows.begin(), rows.end(), [](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return a->data(0, kOwnPlaceRole).toInt() < b->data(0, kOwnPlaceRole).toInt();
  });
  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(rows.size()));
  int column = std::max(order_.column(), 0);
  for (QTreeWidgetItem* row : rows) texts.push_back(FromQt(row->text(column)));
  QList<QTreeWidgetItem*> arranged;
  arranged.reserve(rows.size());
  for (std::size_t place : order_.Arrange(texts)) arranged.append(rows[qsizetype(place)]);
  addTopLevelItems(arranged);
  if (current) {
    setCurrentItem(current, 0,
                   selected ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                            : QItemSelectionModel::NoUpdate);
  }
}

bool ReportList::IsCut(const QModelIndex& cell) {
  if (!cell.isValid()) return false;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int needed = itemDelegateForIndex(cell)->sizeHint(option, cell).width();
  return needed > visualRect(cell).intersected(viewport()->rect()).width();
}

namespace {

// A tooltip of catalogue text: shown as it stands, since a tooltip that looks like markup is
// taken as rich text, in which a model's name could show a picture from anywhere on disk.
QString PlainTip(const QString& text) {
  return QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped());
}

}  // namespace

bool ReportList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  QModelIndex cell = indexAt(help->pos());
  // A cell's own tooltip (a price's range) goes first; else a cut text shows whole.
  QString own = cell.isValid() ? cell.data(Qt::ToolTipRole).toString() : QString();
  if (!own.isEmpty()) {
    QToolTip::showText(help->globalPos(), PlainTip(own), viewport(), visualRect(cell));
  } else if (IsCut(cell)) {
    QToolTip::showText(help->globalPos(), PlainTip(cell.data().toString()), viewport(),
                       visualRect(cell));
  } else {
    QToolTip::hideText();
  }
  return true;
}

void ReportList::ShowSelection(bool shown) {
  setStyleSheet(shown ? kListStyle : kListStyle + kSelectionHidden);
}

void ReportList::focusInEvent(QFocusEvent* event) {
  QTreeWidget::focusInEvent(event);
  ShowSelection(true);
  switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
      emit focusTakenByUser();
      break;
    case Qt::MouseFocusReason:
      // The press that brought the focus has not selected its row yet: report once it has.
      click_focus_pending_ = true;
      QTimer::singleShot(0, this, &ReportList::ReportClickFocus);
      break;
    default:  // back from a popup, a dialog or another window, or moved by the program
      break;
  }
}

void ReportList::focusOutEvent(QFocusEvent* event) {
  QTreeWidget::focusOutEvent(event);
  // The list's own context menu keeps the row it is about highlighted.
  if (event->reason() != Qt::PopupFocusReason) ShowSelection(false);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
  // A right click asks for the context menu, whose commands say what to do with the row.
  if (event->button() != Qt::LeftButton) click_focus_pending_ = false;
  QTreeWidget::mousePressEvent(event);
}

void ReportList::ReportClickFocus() {
  if (!click_focus_pending_) return;
  click_focus_pending_ = false;
  if (hasFocus()) emit focusTakenByUser();
}

}  // namespace trubkom::app
