#include "tools/publisher_commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "catalogue/price_history.h"
#include "common/atomic_file.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/private_folder.h"
#include "tools/arguments.h"
#include "tools/console.h"
#include "update/apply_package.h"
#include "update/archive_extraction.h"
#include "update/archive_writer.h"
#include "update/package.h"
#include "update/package_keys.h"
#include "update/package_order.h"
#include "update/update_lock.h"
#include "update/update_script.h"

namespace trubkom::tools {

const char* const kPublisherUsage =
    "Пакеты обновления:\n"
    "  keygen ПАПКА                 новая пара ключей издателя и ключ пакетов в папке ПАПКА\n"
    "  pack ИСТОЧНИК ПАКЕТ.upd --keys ПАПКА\n"
    "                               упаковывает папку или архив .zip в пакет и подписывает\n"
    "                               его ключами из папки ПАПКА\n"
    "  check ПАКЕТ.upd              проверяет пакет и говорит, что каждая строка его\n"
    "                               сценариев сделала бы с каталогом в текущей папке, ничего\n"
    "                               не меняя\n"
    "  apply [--wait СЕКУНДЫ] ПАКЕТ.upd...\n"
    "                               устанавливает пакеты в каталог текущей папки; если\n"
    "                               каталог уже обновляется, ждёт до СЕКУНДЫ секунд\n";

namespace {

namespace fs = std::filesystem;
using namespace trubkom::update;
using namespace trubkom::common::literals;

std::string WorkingFolder() { return fs::current_path().string(); }

// The path relative to folder, for messages.
std::string Relative(const std::string& path, const std::string& folder) {
  std::string prefix = common::WithTrailingSlash(folder);
  return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}

int Keygen(const std::string& folder) {
  if (common::Status written = WriteKeyFolder(folder, NewSealingKeys()); !written) {
    return Fail(written.error());
  }
  std::cout << "Ключи записаны в " << folder << ":\n"
            << "  " << kSecretKeyFile << "  секретный ключ подписи: храните его в тайне\n"
            << "  " << kPackageKeyFile << "    ключ пакетов: с ним собирается программа\n"
            << "  " << kPublicKeyFile << "  открытый ключ: с ним собирается программа\n"
            << "Собирайте с -DTRUBKOM_PUBLIC_KEY=" << common::JoinPath(folder, kPublicKeyFile)
            << " -DTRUBKOM_PACKAGE_KEY=" << common::JoinPath(folder, kPackageKeyFile) << '\n';
  return 0;
}

// The archive to seal: a folder zipped here, or a ZIP file taken byte for byte.
common::Result<std::string> ArchiveOf(const std::string& source) {
  if (fs::is_directory(source)) {
    common::Result<ZippedFolder> zipped = ZipFolder(source);
    if (!zipped) return zipped.error();
    for (const std::string& name : zipped->skipped) {
      Note(name + ": не файл и не папка, пропущен");
    }
    return std::move(zipped->zip);
  }
  common::Result<std::string> bytes = common::ReadFile(source, kMaxPackageBytes);
  if (bytes && !IsZipArchive(*bytes)) {
    return common::ErrorAbout(common::ErrorCode::kDamaged, "Не удалось упаковать", source,
                              "это не папка и не архив ZIP");
  }
  return bytes;
}

// A secret key others can read is no longer the publisher's alone: said, not refused, since
// the publisher may have reasons (a folder shared by a signing group) and must decide.
void WarnIfReadableByOthers(const std::string& key_folder) {
  struct stat info;
  std::string path = common::JoinPath(key_folder, kSecretKeyFile);
  if (::stat(path.c_str(), &info) == 0 && (info.st_mode & 0077) != 0) {
    std::cerr << "trubkom-catalogue: предупреждение: " << path
              << ": этот файл может читать не только его владелец (исправит chmod 600)\n";
  }
}

int Pack(const std::string& source, const std::string& package, const std::string& key_folder) {
  auto keys = ReadKeyFolder(key_folder);
  if (!keys) return Fail(keys.error());
  // The demo keys' secret half is public by design; any other key should be its owner's alone.
  bool demo_keys =
      BuiltWithDemoKeys() && OpeningKeysFor(*keys).public_key == BuiltinOpeningKeys().public_key;
  if (!demo_keys) WarnIfReadableByOthers(key_folder);
  common::Result<std::string> zip = ArchiveOf(source);
  if (!zip) return Fail(zip.error());
  std::string name = fs::path(package).filename().string();
  if (common::Status written =
          common::ReplaceFileAtomically(package, SealPackage(*zip, name, *keys));
      !written) {
    return Fail(written.error());
  }
  std::cout << package << ": упакован для имени " << name << " и подписан ключами из " << key_folder
            << " (открытый ключ " << PublicKeyHex(OpeningKeysFor(*keys).public_key) << ")\n";
  if (OpeningKeysFor(*keys).public_key != BuiltinOpeningKeys().public_key ||
      keys->package_key != BuiltinOpeningKeys().package_key) {
    Note("это не те ключи, с которыми собрана эта программа: она такой пакет не примет");
  }
  return 0;
}

// What the script line would do, in the catalogue's Windows-1251 as the line itself.
std::string Describe(const std::string& line, const ScriptStep& step, const std::string& work,
                     const std::string& catalogue) {
  std::string target = Relative(step.target, catalogue);
  bool source_missing = !step.source.empty() && !common::IsFile(step.source);
  std::string warning = source_missing
                            ? std::string("; в пакете нет "_cp1251) + Relative(step.source, work)
                            : std::string();
  switch (step.action) {
    case ScriptAction::kIgnored:
      return std::string("игнорируется"_cp1251);
    case ScriptAction::kRefused:
      return std::string("отклонена: ведёт за пределы каталога или пакета"_cp1251);
    case ScriptAction::kNothing:
      return std::string(line.starts_with("ADDFILE")
                             ? "игнорируется: файл уже есть"_cp1251
                             : "игнорируется: такого файла в каталоге нет"_cp1251);
    case ScriptAction::kAdd:
      return std::string("добавит "_cp1251) + target +
             (step.create_folder.empty() ? std::string()
                                         : std::string(" (создав папку "_cp1251) +
                                               Relative(step.create_folder, catalogue) + ")") +
             warning;
    case ScriptAction::kAppend:
      return std::string("допишет "_cp1251) + Relative(step.source, work) +
             std::string(" в конец "_cp1251) + target + warning;
    case ScriptAction::kReplace:
      return std::string("заменит "_cp1251) + target + warning;
    case ScriptAction::kDelete:
      return std::string("удалит "_cp1251) + target;
    case ScriptAction::kMessage:
      return std::string("сообщение: "_cp1251) + step.text;
    case ScriptAction::kUrlMessage:
      return std::string("сообщение с кнопками ОК и Отмена: "_cp1251) + step.text +
             std::string("; ОК откроет "_cp1251) +
             (IsWebAddress(step.address) ? OpenableAddress(step.address)
                                         : std::string("ничего (это не веб-адрес)"_cp1251));
  }
  return {};
}

// The unpacked files in byte order of their paths, the update scripts marked.
void ListEntries(const std::string& work) {
  std::vector<std::string> scripts = UpdateScripts(work);
  std::vector<std::string> rows;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(work)) {
    std::string name = Relative(entry.path().string(), work);
    if (entry.is_directory()) {
      rows.push_back(name + "/");
      continue;
    }
    bool script = std::find(scripts.begin(), scripts.end(), name) != scripts.end();
    rows.push_back(name + "  " + std::to_string(entry.file_size()) + " байт" +
                   (script ? "  [сценарий обновления]" : ""));
  }
  std::sort(rows.begin(), rows.end());
  for (const std::string& row : rows) std::cout << "  " << row << '\n';
}

int Check(const std::string& package) {
  if (!common::IsFile(package)) return Fail(package + ": нет такого файла");
  auto opened = OpenPackageFile(package, BuiltinOpeningKeys());
  if (!opened)
    return Fail(package + ": отклонён: " + common::Utf8FromCp1251(opened.error().message));
  std::cout << package << ": подпись проверена, архив расшифрован\n";
  common::PrivateFolder work("trubkom-check-");
  if (!work.ok()) return Fail("не удалось создать рабочую папку во временной папке системы");
  auto report = ExtractArchiveBytes(opened->archive, work.path());
  std::cout << "Содержимое:\n";
  ListEntries(work.path());
  if (!report) {
    return Fail(package + ": распаковывается не целиком (" +
                common::Utf8FromCp1251(report.error().message) + "); он не был бы установлен");
  }
  // The problems name the entries as the archive does, in UTF-8 as file names are.
  for (const std::string& problem : report->problems) std::cout << "  " << problem << '\n';
  if (!report->Complete()) {
    return Fail(package + ": распаковывается не целиком; он не был бы установлен");
  }
  std::string catalogue = WorkingFolder();
  for (const std::string& script : UpdateScripts(work.path())) {
    PrintLine(std::string("Сценарий "_cp1251) + common::Cp1251FromUtf8(script) + ":");
    common::Result<std::string> bytes = common::ReadFile(common::JoinPath(work.path(), script));
    if (!bytes) return Fail(bytes.error());
    for (const std::string& line : common::SplitLinesAtAnyEnd(*bytes)) {
      ScriptStep step = PlanScriptLine(line, work.path(), catalogue);
      PrintLine("  " + line);
      PrintLine("    => " + Describe(line, step, work.path(), catalogue));
    }
  }
  return 0;
}

// Applies one package by name; the error's words are UTF-8.
common::Status ApplyNamed(const std::string& package, ScriptPorts& ports) {
  auto outcome = ApplyPackage(package, WorkingFolder(), ports);
  if (!outcome) {
    return common::Error{outcome.error().code, common::Utf8FromCp1251(outcome.error().message)};
  }
  if (outcome->already_applied) {
    Note(package + ": уже установлен (есть updates/" + PackageBaseName(package) +
         ".new), пропущен");
  }
  return {};
}

// Applies the packages oldest first by the date in their names, as a run does, while no other
// update of the catalogue runs.
int Apply(std::vector<std::string> packages, std::chrono::seconds wait) {
  common::Result<UpdateLock> lock = UpdateLock::Take(WorkingFolder(), wait);
  if (!lock) return Fail(lock.error());
  SortByDate(packages);
  ConsolePorts console;
  catalogue::PriceHistoryRecorder price_history(WorkingFolder());
  ScriptPorts ports{console, console, console, &price_history};
  // Oldest first, and none after one that is not applied: a newer package's files must never be
  // overwritten by an older one's applied on a later run.
  for (std::size_t i = 0; i < packages.size(); ++i) {
    const std::string& package = packages[i];
    common::Status applied = common::IsFile(package)
                                 ? ApplyNamed(package, ports)
                                 : common::Error{common::ErrorCode::kMissing, "нет такого файла"};
    if (!applied) {
      Fail(package + ": не установлен: " + applied.error().message);
      for (std::size_t newer = i + 1; newer < packages.size(); ++newer) {
        Fail(packages[newer] + ": не установлен: ждёт более старого " + PackageBaseName(package));
      }
      return 1;
    }
  }
  return 0;
}

}  // namespace

std::optional<int> RunPublisherCommand(const std::vector<std::string>& args) {
  if (args.empty()) return std::nullopt;
  const std::string& command = args[0];
  if (command == "keygen" && args.size() == 2) return Keygen(args[1]);
  if (command == "pack" && args.size() == 5 && args[3] == "--keys") {
    return Pack(args[1], args[2], args[4]);
  }
  if (command == "check" && args.size() == 2) return Check(args[1]);
  if (command == "apply" && args.size() >= 4 && args[1] == "--wait") {
    std::optional<std::chrono::seconds> wait = SecondsArgument(args[2]);
    if (!wait) return std::nullopt;
    return Apply(std::vector<std::string>(args.begin() + 3, args.end()), *wait);
  }
  if (command == "apply" && args.size() >= 2) {
    return Apply(std::vector<std::string>(args.begin() + 1, args.end()), std::chrono::seconds(0));
  }
  return std::nullopt;
}

}  // namespace trubkom::tools
