#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace trubkom::app {

// A report list: column headers, whole-row single selection, no editing, rows in the order
// added. The selected row is highlighted only while the list has the keyboard focus (or while
// its own context menu is open), so that one list at a time shows a highlighted row. The last
// column reaches the list's right edge, and a cell too narrow for its text shows the whole text
// as its tooltip, unless the cell has a tooltip of its own.
class ReportList : public QTreeWidget {
  Q_OBJECT
 public:
  ReportList(const QStringList& headers, const QList<int>& widths, QWidget* parent = nullptr);

 signals:
  // The user moved the keyboard focus here: with the Tab key or a shortcut, or with a left
  // click, in which case the signal comes after the click has selected its row. Focus that
  // returns from a menu, a dialog or another window is not reported.
  void focusTakenByUser();

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

  bool click_focus_pending_ = false;
};

}  // namespace trubkom::app
