#include "app/panel_parts.h"

#include <QKeyEvent>
#include <QMenu>

#include "app/text.h"
#include "common/ascii.h"

namespace trubkom::app {

namespace {

class KeyFilter : public QObject {
 public:
  KeyFilter(QTreeWidget* list, QList<int> keys, ListCommand command)
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
  ListCommand command_;
};

}  // namespace

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

QWidget* Strip(QWidget* parent, int height) {
  auto* strip = new QWidget(parent);
  strip->setFixedHeight(height);
  return strip;
}

void FillBackground(QWidget* widget, const QColor& colour) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
}

void Describe(QWidget* widget, const QString& name, const QString& description) {
  if (!name.isEmpty()) widget->setAccessibleName(name);
  widget->setAccessibleDescription(description.trimmed());
}

void AddContextMenu(QTreeWidget* list,
                    std::initializer_list<std::pair<const char*, ListCommand>> items) {
  auto* menu = new QMenu(list);
  for (const auto& [caption, command] : items) menu->addAction(U(caption), list, command);
  QObject::connect(
      list, &QWidget::customContextMenuRequested, menu,
      [list, menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
}

void OnKey(QTreeWidget* list, Qt::Key key, ListCommand command) {
  QList<int> keys{key};
  if (key == Qt::Key_Return) keys << Qt::Key_Enter;  // the keypad's
  list->installEventFilter(new KeyFilter(list, keys, std::move(command)));
}

QTreeWidgetItem* SelectedRow(QTreeWidget* list) {
  QList<QTreeWidgetItem*> rows = list->selectedItems();
  return rows.isEmpty() ? nullptr : rows.first();
}

std::string CurrentRowText(QTreeWidget* list) {
  QTreeWidgetItem* row = list->currentItem();
  return row ? FromQt(row->text(0)) : std::string();
}

void MakeCurrent(QTreeWidget* list, const std::string& text) {
  if (text.empty()) return;
  for (int i = 0; i < list->topLevelItemCount(); ++i) {
    if (common::EqualsIgnoringAsciiCase(FromQt(list->topLevelItem(i)->text(0)), text)) {
      list->setCurrentItem(list->topLevelItem(i));
      return;
    }
  }
}

}  // namespace trubkom::app
