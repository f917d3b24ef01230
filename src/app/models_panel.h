#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QWidget>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/catalogue_load.h"
#include "app/report_list.h"
#include "app/text.h"

namespace trubkom::app {

class SearchPanel;

// "Модели": the brand box, the search across brands under it, the chosen brand's models with
// their prices, and "Только с полным описанием". It reads the catalogue the window holds; a
// model's page or its place in the basket is asked of the window.
class ModelsPanel : public QWidget {
  Q_OBJECT
 public:
  ModelsPanel(const AppState& state, QWidget* parent = nullptr);

  // The catalogue read, at start or again after an update. At start the brand restored from the
  // last run is shown, else the first; after an update the brand and the row the user had stay
  // where the catalogue still has them.
  void ShowCatalogue(const LoadedCatalogue& loaded, bool again);
  // The brand and the filter of the last run; the brand waits for the catalogue when it is not
  // read yet.
  void Restore(const QString& brand, bool full_only, bool catalogue_read);
  // The brand to remember for the next run.
  QString RememberedBrand() const;
  // The brand whose list a read of the catalogue should bring: the one restored, else the one on
  // show.
  std::string BrandToShow() const {
    return restored_brand_ ? FromQt(*restored_brand_) : current_brand_;
  }
  bool full_only() const { return full_only_->isChecked(); }
  const std::string& current_brand() const { return current_brand_; }
  // The brand box's spelling of a brand, letter case ignored; the brand itself when the box
  // lacks it.
  std::string BoxBrand(const std::string& brand) const;

  // The rows the previous and next steps go to: those beside the model on show where the list
  // shows its brand (beside where it would stand, when the list hides it and is in its own
  // order), else beside the list's current row; -1 for none.
  std::pair<int, int> StepRows() const;
  // Makes the row current and asks for its page.
  void StepTo(int row);
  // The selected row's page, or its place in the basket, asked for.
  void ShowSelected();
  void AddSelected();

  SearchPanel* search() const { return search_; }
  ReportList* list() const { return list_; }
  QComboBox* brand_box() const { return brand_box_; }
  QCheckBox* full_only_box() const { return full_only_; }

 signals:
  void showModel(const std::string& brand, const std::string& model);
  void addToBasket(const std::string& entry);
  // The current row changed, or the rows: the steps may lead elsewhere now.
  void rowsChanged();
  // Something the user should know of the list shown, for the hint bar.
  void notice(const QString& text);

 private:
  void FillList(const std::string& brand, const LoadedCatalogue* loaded = nullptr);
  // A brand whose file is missing is said, once a run.
  void SayIfBrandFileMissing(const std::string& brand);
  // The brand's models list: the one read with the catalogue when it is this brand's with the
  // filter as it stands now, else read now.
  std::vector<catalogue::ModelRow> RowsOf(const std::string& brand,
                                          const LoadedCatalogue* loaded) const;
  void ShowRestoredBrand(const QString& brand, const LoadedCatalogue* loaded = nullptr);
  // The rows, with the row of keep_current (ASCII letter case ignored) made current.
  void ShowRows(const std::vector<catalogue::ModelRow>& rows, const std::string& keep_current = {});

  const AppState& state_;
  std::string current_brand_;  // as the brand box shows it
  // The brand to show once the catalogue is read, when one was restored.
  std::optional<QString> restored_brand_;
  QComboBox* brand_box_;
  SearchPanel* search_;
  ReportList* list_;
  QCheckBox* full_only_;
  std::set<std::string> said_missing_;  // brands whose missing file was said
};

}  // namespace trubkom::app
