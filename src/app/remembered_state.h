#pragma once

#include <QList>
#include <QRect>
#include <QSettings>
#include <QString>
#include <optional>
#include <vector>

#include "catalogue/basket.h"

// What the program remembers from one run to the next, in the user's settings file
// (~/.config/trubkom/trubkom.conf): the window's place, size and column widths, the brand and
// the filter chosen, the basket of each catalogue (its models are that catalogue's), and the
// update dialog's proxy and last local folder. Each
// value is checked as it is read: one of the wrong kind (a file edited by hand, or another
// program's) is left out with a warning, and a file that cannot be read at all gives the
// defaults with a warning, so no settings file stops the program.
namespace trubkom::app {

struct RememberedState {
  std::optional<QRect> geometry;  // the window's normal place and size; none on a first start
  double geometry_scale = 1;      // the screen's scale the geometry was taken at
  bool maximized = false;
  QList<int> column_widths;       // the three columns left to right; empty: as laid out
  QString brand;                  // the brand chosen; empty: the first
  bool full_only = false;         // "Только с полным описанием"
  bool only_differences = false;  // the comparison's "Только различия"
  std::vector<catalogue::BasketEntry> basket;  // of the catalogue read or written
  bool use_proxy = false;
  QString proxy;         // host:port; empty: the dialog's own
  QString local_folder;  // the folder of the last local update; empty: none yet
};

// catalogue_folder names the catalogue whose basket is read or written.
RememberedState ReadRememberedState(QSettings& settings, const QString& catalogue_folder);
void WriteRememberedState(QSettings& settings, const RememberedState& state,
                          const QString& catalogue_folder);

}  // namespace trubkom::app
