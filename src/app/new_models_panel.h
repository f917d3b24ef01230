#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>
#include <string>

#include "app/report_list.h"
#include "common/string_ops.h"

namespace trubkom::app {

// "Новинки": the models one catalogue update added, a list of them at a time, with its date and
// the arrows to the lists of the updates before and after. A row's page or its place in the
// basket is asked of the window.
class NewModelsPanel : public QWidget {
  Q_OBJECT
 public:
  explicit NewModelsPanel(QWidget* parent = nullptr);

  // The lists of the catalogue, newest first. The list on show stays, its current row kept,
  // unless the files differ from those shown: the newest is shown then.
  void ShowFiles(common::StringList files);
  ReportList* list() const { return list_; }
  QAbstractButton* older_button() const { return older_button_; }
  QAbstractButton* newer_button() const { return newer_button_; }
  // The panel's controls in the order Tab walks them: the arrows (when offered), the list.
  QList<QWidget*> FocusOrder() const { return {older_button_, newer_button_, list_}; }

 signals:
  // The "brand model" entry of a row whose page or place in the basket the user asked for.
  void showModel(const std::string& entry);
  void addToBasket(const std::string& entry);

 private:
  // The list at index_, and the arrows that lead on from it.
  void ShowFile();
  void Step(int by);
  // The current row's entry, or nothing for an empty row.
  void AskFor(void (NewModelsPanel::*ask)(const std::string&));

  common::StringList files_;  // newest first
  int index_ = 0;
  QLabel* date_label_;
  QAbstractButton* older_button_;
  QAbstractButton* newer_button_;
  ReportList* list_;
};

}  // namespace trubkom::app
