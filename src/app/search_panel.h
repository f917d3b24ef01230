#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QObject>
#include <string>

#include "app/report_list.h"
#include "catalogue/model_search.h"

namespace trubkom::app {

// The search across brands: the field, the rows found (in the models list's place while words
// are typed) and their count (in the filter's place). Its widgets are laid out by the window; a
// row's page or place in the basket is asked of it.
class SearchPanel : public QObject {
  Q_OBJECT
 public:
  explicit SearchPanel(QWidget* parent);

  // Every brand's models, made anew with each read of the catalogue; the rows on show are found
  // again in it.
  void SetSearch(catalogue::ModelSearch search);
  // Ctrl+F: the field, its words selected.
  void Focus();
  // Back to the brand's list, as a brand chosen asks.
  void Clear() { field_->clear(); }

  QLineEdit* field() const { return field_; }
  ReportList* results() const { return results_; }
  QLabel* count() const { return count_; }

 signals:
  // Words were typed (the brand's list gives way to the rows found) or all removed (it comes
  // back); said before the rows found are hidden, so that the focus can move over first.
  void searching(bool on);
  // Escape in the field: the focus goes back to the brand's list.
  void left();
  void showModel(const std::string& entry);
  void addToBasket(const std::string& entry);
  // The words typed found nothing, in Latin letters either.
  void nothingFound();

 private:
  void ShowResults();
  void OpenFirst();
  void Leave();
  void AskFor(void (SearchPanel::*ask)(const std::string&));

  catalogue::ModelSearch search_;
  QLineEdit* field_;
  ReportList* results_;
  QLabel* count_;
  bool cut_ = false;  // whether the rows found are more than those listed
};

}  // namespace trubkom::app
