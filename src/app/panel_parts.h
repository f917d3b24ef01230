#pragma once

#include <QBoxLayout>
#include <QString>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

// The small parts every panel of the main window is built from: layouts without margins, strips
// of a fixed height, what a screen reader says of a control, and the commands of a list (its
// context menu, the keys that act on its current row).
namespace trubkom::app {

inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QVBoxLayout* Column(QWidget* owner);
QHBoxLayout* Row(QWidget* owner);
QWidget* Strip(QWidget* parent, int height);
void FillBackground(QWidget* widget, const QColor& colour);
// What a screen reader says of a control: its name, and what it does (the hint bar's text).
void Describe(QWidget* widget, const QString& name, const QString& description);

// The list's context menu: each caption runs its command.
using ListCommand = std::function<void()>;
void AddContextMenu(QTreeWidget* list,
                    std::initializer_list<std::pair<const char*, ListCommand>> items);
// The key (Return stands for the keypad's Enter too) runs the command on the list's current row,
// selected first, as a double click does on the row clicked.
void OnKey(QTreeWidget* list, Qt::Key key, ListCommand command);

// The list's selected row; null without one.
QTreeWidgetItem* SelectedRow(QTreeWidget* list);
// Column 0 of the list's current row; empty text without one.
std::string CurrentRowText(QTreeWidget* list);
// Makes the row whose column 0 is the text (ASCII letter case ignored) current, if there is one.
void MakeCurrent(QTreeWidget* list, const std::string& text);

}  // namespace trubkom::app
