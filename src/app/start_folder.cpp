#include "app/start_folder.h"

#include <QFile>
#include <QStandardPaths>

#include "catalogue/folders.h"
#include "common/encoding.h"
#include "common/folder_copy.h"

namespace trubkom::app {

namespace {

using common::Cp1251FromUtf8;

QString SettingOf(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}
std::string PathOf(const QString& setting) { return QFile::encodeName(setting).toStdString(); }
QString Key() { return QString::fromUtf8(kCatalogueFolderKey); }

// "«folder»" in the Windows-1251 of the texts.
std::string Quoted(const std::string& folder) { return Cp1251FromUtf8("«" + folder + "»"); }

std::string NoCatalogueText(const std::string& folder) {
  return Cp1251FromUtf8("В папке ") + Quoted(folder) +
         Cp1251FromUtf8(" нет каталога Трубкома: в ней нет папок Base и Templates.");
}

// The copy at target, made from source unless a catalogue is there already; empty, the user
// told why, when it cannot be made.
std::string CopyInto(const std::string& source, const std::string& target, StartPorts ports) {
  if (catalogue::HoldsCatalogueData(target)) return target;
  if (common::Status copied = common::CopyFolder(source, target); !copied) {
    ports.messages.Inform(copied.error().message);
    return {};
  }
  return target;
}

std::string OwnCopy(const std::string& source, const StartPlaces& places, StartPorts ports) {
  return CopyInto(source, places.own_copy, ports);
}

// Where the copy of a catalogue that cannot be written goes: the user's own catalogue for the
// demo, else a folder of its own beside it, named after the catalogue's folder, so that the copy
// is of this catalogue and not of another one copied before.
std::string CopyPlaceFor(const std::string& folder, const StartPlaces& places) {
  if (folder == places.demo) return places.own_copy;
  std::string name = folder.substr(folder.rfind('/') + 1);
  return places.own_copy + "-" + (name.empty() ? std::string("copy") : name);
}

// The catalogue the user opens or chooses when there is none in folder; empty to quit.
std::string AskForCatalogue(const std::string& folder, const StartPlaces& places,
                            StartPorts ports) {
  const std::string text =
      NoCatalogueText(folder) +
      Cp1251FromUtf8("\n\nОткрыть демонстрационный каталог или выбрать папку каталога?");
  for (;;) {
    switch (ports.questions.AskNoCatalogue(text)) {
      case StartQuestions::NoCatalogueAnswer::kQuit:
        return {};
      case StartQuestions::NoCatalogueAnswer::kOpenDemo:
        if (!catalogue::HoldsCatalogueData(places.own_copy) &&
            !catalogue::HoldsCatalogueData(places.demo)) {
          ports.messages.Inform(Cp1251FromUtf8("Демонстрационный каталог не найден: ") +
                                Quoted(places.demo));
        } else if (std::string copy = OwnCopy(places.demo, places, ports); !copy.empty()) {
          return copy;
        }
        break;
      case StartQuestions::NoCatalogueAnswer::kChooseFolder: {
        std::string chosen = ports.folders.ChooseFolder(places.started_in);
        if (chosen.empty()) break;
        if (catalogue::HoldsCatalogueData(chosen)) return chosen;
        ports.messages.Inform(NoCatalogueText(chosen));
        break;
      }
    }
  }
}

// The folder, or the copy the user takes instead when the folder cannot be written.
std::string WritableOrCopy(const std::string& folder, const StartPlaces& places,
                           QSettings& settings, StartPorts ports) {
  common::Status writable = catalogue::CheckCatalogueWritable(folder);
  if (writable) return folder;
  std::string text = Cp1251FromUtf8("Каталог в папке ") + Quoted(folder) +
                     Cp1251FromUtf8(
                         " нельзя изменять: обновления не будут установлены, а страницы "
                         "моделей программа будет писать в свою папку.\n") +
                     writable.error().message + "\n\n";
  if (folder == places.own_copy) {
    ports.messages.Inform(text);
    return folder;
  }
  const std::string target = CopyPlaceFor(folder, places);
  if (catalogue::HoldsCatalogueData(target)) {
    text +=
        Cp1251FromUtf8("В папке ") + Quoted(target) +
        Cp1251FromUtf8(" уже есть копия этого каталога, которую можно изменять. Работать в ней?");
  } else {
    text += Cp1251FromUtf8("Скопировать каталог в папку ") + Quoted(target) +
            Cp1251FromUtf8(" и работать там?");
  }
  if (!ports.questions.AskToCopy(text)) return folder;
  std::string copy = CopyInto(folder, target, ports);
  if (copy.empty()) return folder;
  settings.setValue(Key(), SettingOf(copy));
  return copy;
}

// AskForCatalogue, the answer remembered for the next start.
std::string AskAndRemember(const std::string& folder, const StartPlaces& places,
                           QSettings& settings, StartPorts ports) {
  std::string chosen = AskForCatalogue(folder, places, ports);
  if (!chosen.empty()) settings.setValue(Key(), SettingOf(chosen));
  return chosen;
}

// The catalogue to start on, asking only when there is none to be had; empty to quit.
std::string FindCatalogue(const StartPlaces& places, QSettings& settings, StartPorts ports) {
  if (!places.named.empty()) {
    if (catalogue::HoldsCatalogueData(places.named)) return places.named;
    return AskAndRemember(places.named, places, settings, ports);
  }
  if (catalogue::HoldsCatalogueData(places.started_in)) return places.started_in;
  // A remembered folder that is gone (a drive not plugged in) stays remembered for next time.
  std::string remembered = PathOf(settings.value(Key()).toString());
  if (!remembered.empty()) {
    if (catalogue::HoldsCatalogueData(remembered)) return remembered;
    ports.messages.Inform(NoCatalogueText(remembered));
  }
  if (catalogue::HoldsCatalogueData(places.own_copy)) return places.own_copy;
  // The first start: the user's own catalogue is made from the demo.
  if (catalogue::HoldsCatalogueData(places.demo)) {
    if (std::string copy = OwnCopy(places.demo, places, ports); !copy.empty()) return copy;
  }
  return AskAndRemember(places.started_in, places, settings, ports);
}

}  // namespace

std::string OwnCatalogueFolder() {
  return PathOf(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QStringLiteral("/trubkom/catalogue"));
}

std::string ChooseStartFolder(const StartPlaces& places, QSettings& settings, StartPorts ports) {
  std::string folder = FindCatalogue(places, settings, ports);
  if (folder.empty()) return {};
  return WritableOrCopy(folder, places, settings, ports);
}

}  // namespace trubkom::app
