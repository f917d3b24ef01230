// Update script lines run against a scratch catalogue: whatever they say, nothing outside the
// catalogue folder changes, and only web addresses are opened.
#include <filesystem>

#include "common/line_file.h"
#include "fuzz_support.h"
#include "update/update_script.h"

using namespace trubkom;

namespace {

class NullStatus : public common::StatusSink {
 public:
  void Append(const std::string&) override {}
  void Clear() override {}
};

class NullMessages : public common::Messages {
 public:
  void Inform(const std::string&) override {}
  bool Confirm(const std::string&) override { return true; }
};

class CheckedShell : public common::Shell {
 public:
  void Open(const std::string& target) override {
    fuzz::Require(update::IsWebAddress(target), "only web addresses are opened");
  }
};

// root/a/b/{catalogue,package,outside}: everything but the catalogue must stay as it was.
struct Layout {
  std::string root, catalogue, package;
};

Layout MakeLayout() {
  namespace fs = std::filesystem;
  std::string root = fuzz::FreshFolder("script");
  std::string b = root + "/a/b";
  Layout layout{root, b + "/catalogue", b + "/package"};
  fuzz::WriteFile(b + "/outside/secret.txt", "secret\r\n");
  fuzz::WriteFile(root + "/a/top.txt", "top\r\n");
  fuzz::WriteFile(layout.catalogue + "/Base/base.tkm", "Nokia|3310|48(0)|\r\n");
  fuzz::WriteFile(layout.catalogue + "/Base/nokia_new.xml", "<brand></brand>");
  fuzz::WriteFile(layout.catalogue + "/adv/prices/shop.prc", "Shop\r\nshop.html\r\n");
  fuzz::WriteFile(layout.catalogue + "/updates/upd070115.new", "Nokia 3310\r\n");
  fs::create_symlink("../outside", layout.catalogue + "/escape");
  fs::create_symlink("../outside/secret.txt", layout.catalogue + "/Base/secret.tkm");
  fuzz::WriteFile(layout.package + "/nokia_new.xml", "<brand><model/></brand>");
  fuzz::WriteFile(layout.package + "/lines.txt", "Nokia|N80|\r\nNokia N80^100\r\n");
  fuzz::WriteFile(layout.package + "/Pics/nokia/n80.jpg", "JPEG");
  fs::create_symlink("../outside/secret.txt", layout.package + "/secret.txt");
  return layout;
}

// Everything under root except the catalogue folder.
std::string SnapshotOutside(const Layout& layout) {
  std::string all = fuzz::Snapshot(layout.root);
  std::string kept;
  for (std::string_view rest = all; !rest.empty();) {
    auto [line, tail] = fuzz::SplitFirstLine(rest);
    if (!line.starts_with("a/b/catalogue/")) kept += std::string(line) + "\n";
    rest = tail;
  }
  return kept;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Layout layout = MakeLayout();
  std::string before = SnapshotOutside(layout);
  NullStatus status;
  NullMessages messages;
  CheckedShell shell;
  common::StringList lines = common::SplitLinesAtAnyEnd(fuzz::AsText(data, size));
  if (lines.size() > 16) lines.resize(16);
  for (const std::string& line : lines) {
    update::ScriptStep plan = update::PlanScriptLine(line, layout.package, layout.catalogue);
    // A step may fail (the fuzzer's files are anything); it must still stay inside.
    (void)update::PerformScriptStep(plan, {status, messages, shell});
  }
  fuzz::Require(SnapshotOutside(layout) == before, "a script line changed a file outside");
  return 0;
}
