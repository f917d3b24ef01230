#include "app/report_list.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>

namespace trubkom::app {

namespace {

const QString kListStyle = QStringLiteral("QTreeWidget { color: black; background: transparent; }");
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
  ShowSelection(false);
}

bool ReportList::IsCut(const QModelIndex& cell) {
  if (!cell.isValid()) return false;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int needed = itemDelegateForIndex(cell)->sizeHint(option, cell).width();
  return needed > visualRect(cell).intersected(viewport()->rect()).width();
}

bool ReportList::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTreeWidget::viewportEvent(event);
  auto* help = static_cast<QHelpEvent*>(event);
  QModelIndex cell = indexAt(help->pos());
  // A cell's own tooltip (a price's range) goes first; else a cut text shows whole.
  QString own = cell.isValid() ? cell.data(Qt::ToolTipRole).toString() : QString();
  if (!own.isEmpty()) {
    QToolTip::showText(help->globalPos(), own, viewport(), visualRect(cell));
  } else if (IsCut(cell)) {
    QToolTip::showText(help->globalPos(), cell.data().toString(), viewport(), visualRect(cell));
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
