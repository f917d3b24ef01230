// Applying an update package of about 50 MB of catalogue files (pictures that do not compress,
// brand files that do) beside extracting the same ZIP with the unzip command, run by run in turn,
// and beside unzip with a flush of each file, the floor of an apply that survives a crash. Applying
// checks the signature, decrypts, unpacks into a private working folder and runs the script that
// adds every file to a fresh catalogue.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>

#include "common/atomic_file.h"
#include "common/line_file.h"
#include "common/private_folder.h"
#include "update/apply_package.h"
#include "update/archive_writer.h"
#include "update/package.h"

namespace {

using namespace trubkom;
namespace fs = std::filesystem;

constexpr int kBrands = 10;
constexpr int kPicturesPerBrand = 80;
constexpr std::size_t kPictureBytes = 50 * 1024;
constexpr std::size_t kBrandFileBytes = 1 << 20;
constexpr int kFiles = kBrands * kPicturesPerBrand + kBrands;

class NullPorts : public common::StatusSink, public common::Messages, public common::Shell {
 public:
  void Append(const std::string&) override { ++lines; }
  void Clear() override {}
  void Inform(const std::string&) override {}
  bool Confirm(const std::string&) override { return false; }
  void Open(const std::string&) override {}
  int lines = 0;
};

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// The package's folder: pictures of random bytes, brand files of repeated XML, and the script.
void WritePayload(const fs::path& folder) {
  std::mt19937 random(2026);
  std::string script;
  for (int b = 0; b < kBrands; ++b) {
    std::string brand = "brand" + std::to_string(b);
    for (int p = 0; p < kPicturesPerBrand; ++p) {
      std::string picture(kPictureBytes, '\0');
      for (char& c : picture) c = static_cast<char>(random());
      std::string name = brand + "_" + std::to_string(p) + ".jpg";
      WriteFile(folder / "pics" / brand / name, picture);
      script += "ADDFILE pics\\" + brand + "\\" + name + " TO Pics\\" + brand + "\\\r\n";
    }
    std::string xml = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<brand>\r\n";
    for (int m = 0; xml.size() < kBrandFileBytes; ++m) {
      xml += "<model><Model>M" + std::to_string(m) + "</Model><Price>" + std::to_string(m % 500) +
             "</Price><Picture>m" + std::to_string(m) + ".jpg</Picture></model>\r\n";
    }
    WriteFile(folder / "base" / (brand + "_new.xml"), xml);
    script += "ADDFILE base\\" + brand + "_new.xml TO Base\\\r\n";
  }
  WriteFile(folder / "upd010127.tkm", script);
}

struct Fixture {
  common::PrivateFolder root{"trubkom-bench-apply-"};
  update::SealingKeys keys = update::NewSealingKeys();
  std::string zip_path, package_path;

  Fixture() {
    WritePayload(fs::path(root.path()) / "payload");
    auto zipped = update::ZipFolder(root.path() + "/payload");
    if (!zipped) throw std::runtime_error(zipped.error().message);
    zip_path = root.path() + "/upd010127.zip";
    package_path = root.path() + "/upd010127.upd";
    if (!common::ReplaceFileAtomically(zip_path, zipped->zip) ||
        !common::ReplaceFileAtomically(package_path,
                                       update::SealPackage(zipped->zip, "upd010127.upd", keys))) {
      throw std::runtime_error("cannot write the package to " + root.path());
    }
  }

  // Moves a run's output aside, to be deleted after the runs: on a file system that passes over
  // recently deleted inodes when it makes new ones, deleting between runs would charge that to
  // whichever run comes next.
  void SetAside(const std::string& folder) const {
    static int spent = 0;
    if (!fs::exists(folder)) return;
    fs::create_directories(root.path() + "/spent");
    fs::rename(folder, root.path() + "/spent/" + std::to_string(++spent));
  }
  void RemoveSetAside() const { fs::remove_all(root.path() + "/spent"); }

  // A fresh catalogue with the folders the script adds into.
  std::string NewCatalogue() const {
    std::string catalogue = root.path() + "/catalogue";
    SetAside(catalogue);
    fs::create_directories(catalogue + "/Pics");
    fs::create_directories(catalogue + "/Base");
    return catalogue;
  }

  bool Apply(const std::string& catalogue) const {
    NullPorts ports;
    auto outcome = update::ApplyPackage(package_path, catalogue, {ports, ports, ports},
                                        update::OpeningKeysFor(keys));
    return outcome && !outcome->already_applied && ports.lines == kFiles + 1;
  }

  bool Unzip(const std::string& folder) const {
    std::string command = "unzip -q -o '" + zip_path + "' -d '" + folder + "'";
    return std::system(command.c_str()) == 0;
  }
};

const Fixture& Setup() {
  static const Fixture fixture;
  return fixture;
}

std::size_t CountFiles(const std::string& folder) {
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    files += entry.is_regular_file();
  return files;
}

// Flushes every file under folder to disk, and the folders: what a durable apply must do at the
// least beyond extracting.
void FlushEachFile(const std::string& folder) {
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) ::fsync(fd);
    if (fd >= 0) ::close(fd);
  }
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) ::fsync(fd);
  if (fd >= 0) ::close(fd);
}

double MillisecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// Applying the package and its floors, run by run in turn, so that the state of the file system
// (its caches, what it still has to write back) weighs on each alike: unzip of the same ZIP, and
// unzip followed by a flush of each file it wrote. The time reported is the apply's; the floors'
// and the ratios are counters.
void ApplyAgainstUnzip(benchmark::State& state) {
  const Fixture& fixture = Setup();
  std::string catalogue = fixture.NewCatalogue();
  const std::string unzipped = fixture.root.path() + "/unzipped";
  fs::remove_all(unzipped);
  if (!fixture.Apply(catalogue) || CountFiles(catalogue) != kFiles) {
    state.SkipWithError("the package did not apply");
    return;
  }
  if (!fixture.Unzip(unzipped) || CountFiles(unzipped) != kFiles + 1) {
    state.SkipWithError("unzip failed");
    return;
  }
  double apply = 0, unzip = 0, unzip_flush = 0;
  for (auto _ : state) {
    catalogue = fixture.NewCatalogue();
    fixture.SetAside(unzipped);
    const double ms = MillisecondsOf([&] { benchmark::DoNotOptimize(fixture.Apply(catalogue)); });
    state.SetIterationTime(ms / 1000);
    apply += ms;
    fixture.SetAside(unzipped);
    unzip += MillisecondsOf([&] { fixture.Unzip(unzipped); });
    fixture.SetAside(unzipped);
    unzip_flush += MillisecondsOf([&] {
      fixture.Unzip(unzipped);
      FlushEachFile(unzipped);
    });
  }
  fixture.RemoveSetAside();
  const double runs = static_cast<double>(state.iterations());
  state.counters["unzip_ms"] = unzip / runs;
  state.counters["unzip_flush_ms"] = unzip_flush / runs;
  state.counters["apply_per_unzip"] = apply / unzip;
  state.counters["apply_per_unzip_flush"] = apply / unzip_flush;
  state.SetBytesProcessed(state.iterations() * fs::file_size(fixture.package_path));
}
BENCHMARK(ApplyAgainstUnzip)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(3);

}  // namespace

BENCHMARK_MAIN();
