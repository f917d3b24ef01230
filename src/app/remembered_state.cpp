#include "app/remembered_state.h"

#include <QCryptographicHash>
#include <QFile>

#include "app/text.h"
#include "common/warnings.h"

namespace trubkom::app {

namespace {

// The keys, grouped as the settings file shows them.
constexpr const char* kGeometry = "window/geometry";
constexpr const char* kScale = "window/scale";
constexpr const char* kMaximized = "window/maximized";
constexpr const char* kColumns = "window/columns";
constexpr const char* kBrand = "models/brand";
constexpr const char* kFullOnly = "models/fullOnly";
constexpr const char* kOnlyDifferences = "compare/onlyDifferences";
constexpr const char* kBasket = "basket";
constexpr const char* kUseProxy = "update/useProxy";
constexpr const char* kProxy = "update/proxy";
constexpr const char* kLocalFolder = "update/localFolder";

constexpr int kColumnCount = 3;
// More than a basket of real use could hold; a longer list is not ours.
constexpr int kBasketLimit = 1000;

// Reads one settings value, or says why it is left out.
class Reader {
 public:
  explicit Reader(QSettings& settings) : settings_(settings) {}

  std::optional<QVariant> Value(const char* key) {
    QVariant value = settings_.value(QString::fromLatin1(key));
    if (!value.isValid()) return std::nullopt;
    return value;
  }

  void Reject(const char* key, const char* expected) {
    common::Warn(QFile::encodeName(settings_.fileName()).toStdString() + ": the setting " + key +
                 " is not " + expected + "; it is left out");
  }

  std::optional<bool> Bool(const char* key) {
    std::optional<QVariant> value = Value(key);
    if (!value) return std::nullopt;
    // Saved as "true" or "false"; no other text is a yes or a no.
    if (value->typeId() == QMetaType::Bool) return value->toBool();
    QString text = value->toString();
    if (value->typeId() == QMetaType::QString && (text == u"true" || text == u"false")) {
      return text == u"true";
    }
    Reject(key, "true or false");
    return std::nullopt;
  }

  std::optional<QString> Text(const char* key) {
    std::optional<QVariant> value = Value(key);
    if (!value) return std::nullopt;
    if (value->typeId() == QMetaType::QString) return value->toString();
    Reject(key, "a text");
    return std::nullopt;
  }

  // A screen scale, saved as a decimal with a point whatever the locale: 0.5 to 8.
  std::optional<double> Scale(const char* key) {
    std::optional<QVariant> value = Value(key);
    if (!value) return std::nullopt;
    bool number = false;
    double scale = value->toString().toDouble(&number);
    if (number && scale >= 0.5 && scale <= 8) return scale;
    Reject(key, "a screen scale");
    return std::nullopt;
  }

  std::optional<QRect> Rect(const char* key) {
    std::optional<QVariant> value = Value(key);
    if (!value) return std::nullopt;
    if (value->typeId() == QMetaType::QRect && !value->toRect().isEmpty()) return value->toRect();
    Reject(key, "a place and size");
    return std::nullopt;
  }

  // Saved as a list of numbers, which the settings file gives back as texts.
  QList<int> Widths(const char* key) {
    std::optional<QVariant> value = Value(key);
    if (!value) return {};
    QList<int> widths;
    for (const QString& text : value->toStringList()) {
      bool number = false;
      int width = text.trimmed().toInt(&number);
      if (!number || width <= 0) break;
      widths.append(width);
    }
    if (widths.size() == kColumnCount) return widths;
    Reject(key, "three column widths");
    return {};
  }

 private:
  QSettings& settings_;
};

}  // namespace

// The basket's key for a catalogue: its folder's hash, as a key holds no path. A basket kept
// before baskets were kept per catalogue ("basket") is taken by the first catalogue read.
QString BasketKey(const QString& catalogue_folder) {
  return QStringLiteral("basket-") +
         QString::fromLatin1(
             QCryptographicHash::hash(catalogue_folder.toUtf8(), QCryptographicHash::Sha1)
                 .toHex()
                 .left(16));
}

RememberedState ReadRememberedState(QSettings& settings, const QString& catalogue_folder) {
  RememberedState state;
  if (settings.status() != QSettings::NoError) {
    common::Warn(QFile::encodeName(settings.fileName()).toStdString() +
                 ": the settings file cannot be read; the program starts as on its first start");
    return state;
  }
  Reader read(settings);
  state.geometry = read.Rect(kGeometry);
  state.geometry_scale = read.Scale(kScale).value_or(1);
  state.maximized = read.Bool(kMaximized).value_or(false);
  state.column_widths = read.Widths(kColumns);
  state.brand = read.Text(kBrand).value_or(QString());
  state.full_only = read.Bool(kFullOnly).value_or(false);
  state.only_differences = read.Bool(kOnlyDifferences).value_or(false);
  state.use_proxy = read.Bool(kUseProxy).value_or(false);
  state.proxy = read.Text(kProxy).value_or(QString());
  state.local_folder = read.Text(kLocalFolder).value_or(QString());

  const QString basket_key =
      settings.contains(BasketKey(catalogue_folder) + QStringLiteral("/size"))
          ? BasketKey(catalogue_folder)
          : QString::fromLatin1(kBasket);
  int entries = settings.beginReadArray(basket_key);
  if (entries > kBasketLimit) {
    read.Reject(kBasket, "a basket");
    entries = 0;
  }
  for (int i = 0; i < entries; ++i) {
    settings.setArrayIndex(i);
    std::optional<QString> model = read.Text("model");
    std::optional<QString> price = read.Text("price");
    if (model && !model->isEmpty()) {
      state.basket.push_back({FromQt(*model), FromQt(price.value_or(QString()))});
    }
  }
  settings.endArray();
  return state;
}

void WriteRememberedState(QSettings& settings, const RememberedState& state,
                          const QString& catalogue_folder) {
  auto key = [](const char* name) { return QString::fromLatin1(name); };
  if (state.geometry) {
    settings.setValue(key(kGeometry), *state.geometry);
  } else {
    settings.remove(key(kGeometry));
  }
  settings.setValue(key(kScale), QString::number(state.geometry_scale));
  settings.setValue(key(kMaximized), state.maximized);
  if (state.column_widths.isEmpty()) {
    settings.remove(key(kColumns));
  } else {
    QStringList widths;
    for (int width : state.column_widths) widths.append(QString::number(width));
    settings.setValue(key(kColumns), widths);
  }
  settings.setValue(key(kBrand), state.brand);
  settings.setValue(key(kFullOnly), state.full_only);
  settings.setValue(key(kOnlyDifferences), state.only_differences);
  settings.setValue(key(kUseProxy), state.use_proxy);
  settings.setValue(key(kProxy), state.proxy);
  settings.setValue(key(kLocalFolder), state.local_folder);
  settings.remove(key(kBasket));
  settings.remove(BasketKey(catalogue_folder));
  settings.beginWriteArray(BasketKey(catalogue_folder), static_cast<int>(state.basket.size()));
  for (std::size_t i = 0; i < state.basket.size(); ++i) {
    settings.setArrayIndex(static_cast<int>(i));
    settings.setValue(key("model"), ToQt(state.basket[i].model));
    settings.setValue(key("price"), ToQt(state.basket[i].price));
  }
  settings.endArray();
}

}  // namespace trubkom::app
