#include "tools/update_commands.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <iostream>

#include "catalogue/price_history.h"
#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/date_code.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/plural.h"
#include "selection/new_models.h"
#include "tools/arguments.h"
#include "tools/console.h"
#include "update/package.h"
#include "update/package_keys.h"
#include "update/signed_index.h"
#include "update/update_run.h"
#include "update/update_server.h"

namespace trubkom::tools {

const char* const kUpdateUsage =
    "Обновление:\n"
    "  update [--local ПАПКА] [--proxy ХОСТ:ПОРТ] [--server URL] [--wait СЕКУНДЫ]\n"
    "                               обновляет каталог, как кнопка \"Обновить!\", но без окна:\n"
    "                               с сервера обновлений или, с --local, из пакетов папки\n"
    "                               ПАПКА; если каталог уже обновляется, ждёт до СЕКУНДЫ\n"
    "                               секунд (0, если не указано иное), затем завершается\n"
    "                               с ошибкой\n"
    "  last-update                  дата самого нового пакета в updates/\n"
    "  new-models [N]               дата и строки списка новинок номер N: 0 (если номер не\n"
    "                               указан) — самый новый, 1 — предыдущий и так далее\n"
    "  index ПАПКА_СЕРВЕРА [--keys ПАПКА] [--valid-days N]\n"
    "                               записывает ПАПКА_СЕРВЕРА/updates/index.txt (пакеты от\n"
    "                               старых к новым), а с --keys и его подпись index.sig\n"
    "                               (она действует 30 дней, если не указано иное)\n";

namespace {

namespace fs = std::filesystem;

std::optional<int> Update(const std::vector<std::string>& args) {
  update::UpdateOptions options;
  options.server_base = update::UpdateServerBase();
  int servers_given = 0;
  std::string local_folder;
  for (std::size_t i = 1; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return std::nullopt;
    const std::string& value = args[i + 1];
    if (args[i] == "--local") {
      options.local_folder = true;
      local_folder = fs::absolute(value).string();
      if (!fs::is_directory(local_folder)) return Fail("нет такой папки: " + value);
    } else if (args[i] == "--proxy") {
      options.use_proxy = true;
      options.proxy = value;
    } else if (args[i] == "--wait") {
      std::optional<std::chrono::seconds> wait = SecondsArgument(value);
      if (!wait) return std::nullopt;
      options.lock_wait = *wait;
    } else if (args[i] == "--server") {
      // Given more than once, the servers are mirrors, tried in the order given.
      options.server_base = (servers_given++ == 0 ? "" : options.server_base + " ") +
                            common::WithTrailingSlash(value);
    } else {
      return std::nullopt;
    }
  }
  ConsolePorts ports(local_folder);
  catalogue::PriceHistoryRecorder price_history(fs::current_path().string());
  update::UpdateSummary summary =
      update::RunUpdate(fs::current_path().string(), options,
                        {ports, ports, ports, ports, nullptr, {}, nullptr, &price_history});
  if (summary.not_run) return Fail(*summary.not_run);
  // A scheduled run must notice: the server's index not had, or a package left out.
  int status = 0;
  if (summary.server_problem) {
    status = Fail("список апдейтов не получен: " +
                  common::Utf8FromCp1251(summary.server_problem->message));
  }
  if (summary.failed > 0) {
    status = Fail("не скачано или не установлено пакетов: " + std::to_string(summary.failed) +
                  " (см. строки выше)");
  }
  return status;
}

int LastUpdate() {
  ConsolePorts ports("");
  update::ShowLastUpdate(fs::current_path().string(), ports);
  return 0;
}

std::optional<int> NewModels(const std::vector<std::string>& args) {
  std::size_t n = 0;
  if (args.size() == 2) {
    if (args[1].empty() ||
        !std::all_of(args[1].begin(), args[1].end(), [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    // A number too large for n names no list, like any other past the end.
    if (std::from_chars(args[1].data(), args[1].data() + args[1].size(), n).ec != std::errc()) {
      n = SIZE_MAX;
    }
  }
  common::StringList files = selection::FindNewModelFiles(fs::current_path().string());
  if (n >= files.size()) {
    std::string lists =
        std::string(common::RussianPlural(files.size(), "список", "списка", "списков"));
    return Fail("в updates/ " + std::to_string(files.size()) + " " + lists + " новинок, " +
                "а списка с номером " + (args.size() == 2 ? args[1] : "0") + " нет");
  }
  PrintLine(selection::NewModelFileDate(files[n]));
  auto rows = selection::NewModelRows(files[n]);
  if (!rows) return Fail(rows.error());
  for (const std::string& row : *rows) PrintLine(row);
  return 0;
}

// The serial of the signature already in the folder, so that a new one is larger whatever the
// clock says; 0 when there is none.
std::uint64_t PreviousSerial(const std::string& signature_path) {
  auto text = common::ReadFile(signature_path, std::size_t{1} << 20);
  if (!text) return 0;
  for (const std::string& line : common::SplitLinesAtAnyEnd(*text)) {
    std::uint64_t serial = 0;
    if (line.starts_with("serial ") &&
        std::from_chars(line.data() + 7, line.data() + line.size(), serial).ec == std::errc()) {
      return serial;
    }
  }
  return 0;
}

// Signs index.txt of the folder with the keys of key_folder: every package listed with its size
// and hash, valid for valid_days.
int SignIndexIn(const std::string& updates, const std::string& index, const std::string& key_folder,
                long valid_days) {
  auto keys = update::ReadKeyFolder(key_folder);
  if (!keys) return Fail(keys.error());
  update::IndexSignature what;
  const std::string signature_path = updates + "/index.sig";
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  what.serial =
      std::max<std::uint64_t>(static_cast<std::uint64_t>(now), PreviousSerial(signature_path) + 1);
  what.signed_at = now;
  what.expires_at = now + valid_days * 86400;
  for (const std::string& name : common::SplitLinesAtAnyEnd(index)) {
    auto bytes = common::ReadFile(updates + "/" + name, update::kMaxPackageBytes);
    if (!bytes) return Fail(bytes.error());
    what.packages[common::AsciiLowered(name)] = {bytes->size(), update::Sha256Hex(*bytes)};
  }
  if (common::Status written = common::ReplaceFileAtomically(
          signature_path, update::SignIndex(index, what, keys->secret_key));
      !written) {
    return Fail(written.error());
  }
  std::cout << signature_path << " (порядковый номер " << what.serial << ", действует "
            << valid_days << " "
            << common::RussianPlural(static_cast<std::uint64_t>(valid_days), "день", "дня", "дней")
            << ")\n";
  return 0;
}

// The packages of the server folder's updates/, oldest first by the date in their names; with a
// key folder, their signature beside them.
std::optional<int> Index(const std::vector<std::string>& args) {
  if (args.size() < 2) return std::nullopt;
  std::string key_folder;
  long valid_days = 30;
  for (std::size_t i = 2; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return std::nullopt;
    if (args[i] == "--keys") {
      key_folder = args[i + 1];
    } else if (args[i] == "--valid-days" &&
               std::from_chars(args[i + 1].data(), args[i + 1].data() + args[i + 1].size(),
                               valid_days)
                       .ec == std::errc() &&
               valid_days > 0) {
    } else {
      return std::nullopt;
    }
  }
  const std::string& server_folder = args[1];
  std::string updates = common::ResolvePath(server_folder, "updates");
  if (!fs::is_directory(updates)) return Fail("нет папки updates в " + server_folder);
  std::vector<std::string> names = common::ListFiles(updates, "*.upd");
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return common::CompareUpdateDates(common::DateCodeOf(a), common::DateCodeOf(b)) < 0;
  });
  std::string index;
  for (const std::string& name : names) index += name + "\r\n";
  std::string path = updates + "/index.txt";
  // The signature goes first: a client that fetches the new index meanwhile finds the old
  // signature, refuses the pair, and takes both on its next run.
  if (!key_folder.empty()) {
    if (int failed = SignIndexIn(updates, index, key_folder, valid_days)) return failed;
  }
  if (common::Status written = common::ReplaceFileAtomically(path, index); !written) {
    return Fail(written.error());
  }
  std::cout << path << '\n';
  return 0;
}

}  // namespace

std::optional<int> RunUpdateCommand(const std::vector<std::string>& args) {
  const std::string& command = args[0];
  if (command == "update") return Update(args);
  if (command == "last-update" && args.size() == 1) return LastUpdate();
  if (command == "new-models" && args.size() <= 2) return NewModels(args);
  if (command == "index") return Index(args);
  return std::nullopt;
}

}  // namespace trubkom::tools
