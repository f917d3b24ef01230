#pragma once

#include <QList>
#include <QStringList>
#include <QTreeWidget>

#include "catalogue/column_order.h"

namespace trubkom::app {

// A report list: column headers, whole-row single selection, no editing, rows in the order
// added. The selected row is highlighted only while the list has the keyboard focus (or while
// its own context menu is open), so that one list at a time shows a highlighted row. The last
// column reaches the list's right edge, and a cell too narrow for its text shows the whole text
// as its tooltip, unless the cell has a tooltip of its own. A click on a column's header sorts the
// rows by that column, the next click reverses them (catalogue::ColumnOrder); rows shown or
// added later take the same order until ResetOrder.
class ReportList : public QTreeWidget {
  Q_OBJECT
 public:
  ReportList(const QStringList& headers, const QList<int>& widths, QWidget* parent = nullptr);

  // The rows (each the texts of its cells) in place of those shown, in the order of the header
  // clicked, if any; tooltips, when given, holds each row's cells' own tooltips (empty: none).
  void ShowRows(const QList<QStringList>& rows, const QList<QStringList>& tooltips = {});
  // Adds a row after those added before it.
  void AddRow(const QStringList& cells);
  // The rows in the order they were given, and no column marked as sorted.
  void ResetOrder();
  // Whether the rows stand in the order they were given (no header clicked since a reset).
  bool InOwnOrder() const { return order_.column() < 0; }
  const catalogue::ColumnOrder& order() const { return order_; }

 signals:
  // The user moved the keyboard focus here: with the Tab key or a shortcut, or with a left
  // click on a row, in which case the signal comes after the click has selected its row. Focus that
  // returns from a menu, a dialog or another window is not reported.
  void focusTakenByUser();
  // A click on a header has sorted the rows anew.
  void orderChanged();

 protected:
  bool viewportEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // Whether the cell shows its text cut short.
  bool IsCut(const QModelIndex& cell);
  void ShowSelection(bool shown);
  void ReportClickFocus();
  void SortByColumn(int column);
  // Puts the rows into the order, keeping the current row.
  void Rearrange();

  bool click_focus_pending_ = false;
  catalogue::ColumnOrder order_;
  int rows_given_ = 0;  // numbers each row given by its place in the list's own order
};

}  // namespace trubkom::app
