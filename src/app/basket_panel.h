#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QWidget>
#include <string>
#include <vector>

#include "app/report_list.h"
#include "catalogue/basket.h"

namespace trubkom::app {

class PictureButton;

// "Корзина": the models the user collects to compare, each once, with its price, and below them
// the "Сравнить" button and the comparison's switch "Только различия", which any catalogue has
// here whether or not its comparison page has a place for it. The basket outlives reloads of the
// catalogue; a model's page and the comparison are asked of the window.
class BasketPanel : public QWidget {
  Q_OBJECT
 public:
  explicit BasketPanel(QWidget* parent = nullptr);

  const catalogue::Basket& basket() const { return basket_; }
  // Adds the "brand model" entry with its price; false for one the basket holds already.
  bool Add(const std::string& entry, const std::string& price);
  // The basket after a reload: the entries and prices of now, the current row kept.
  void Replace(catalogue::Basket basket);
  // Brings back the basket "Очистить корзину" emptied last, if nothing was put in since.
  void UndoClear();
  ReportList* list() const { return list_; }
  PictureButton* compare_button() const { return compare_button_; }
  QCheckBox* differences_box() const { return differences_box_; }
  bool only_differences() const { return differences_box_->isChecked(); }
  // Sets the switch without a signal: as the page's own switch or the last run left it.
  void SetOnlyDifferences(bool on);

 signals:
  void showModel(const std::string& entry);
  void compareRequested();
  // The user switched "Только различия".
  void onlyDifferencesSwitched();
  // "Очистить корзину" emptied it; UndoClear brings it back.
  void cleared();

 private:
  // The entry of the selected row, or -1. The list may be sorted by a column, so the row is
  // known by its text, which is its entry's model: the basket holds each model once.
  int SelectedPosition() const;
  void ShowSelected();
  void RemoveSelected();
  void Clear();

  catalogue::Basket basket_;
  catalogue::Basket cleared_;  // as it was before it was last emptied
  ReportList* list_;
  PictureButton* compare_button_;
  QCheckBox* differences_box_;
};

}  // namespace trubkom::app
