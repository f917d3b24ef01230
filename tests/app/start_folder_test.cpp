// The folder the window starts on: a catalogue named or where the program was started, else the
// one remembered, else the user's own copy of the demo, made on the first start; the user is
// asked only when none can be had. A read-only catalogue is said once, with a writable copy
// offered.
#include "app/start_folder.h"

#include <QTest>
#include <deque>
#include <filesystem>

#include "common/encoding.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

using trubkom::app::StartQuestions;
using Answer = trubkom::app::StartQuestions::NoCatalogueAnswer;
namespace fs = std::filesystem;

namespace {

class ScriptedQuestions : public StartQuestions {
 public:
  NoCatalogueAnswer AskNoCatalogue(const std::string& text) override {
    asked.push_back(text);
    if (answers.empty()) return NoCatalogueAnswer::kQuit;
    Answer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool AskToCopy(const std::string& text) override {
    asked.push_back(text);
    return copy;
  }
  std::deque<Answer> answers;
  bool copy = false;
  std::vector<std::string> asked;
};

// Gives the folders in turn (a relative one inside root), then cancels.
class ScriptedChooser : public trubkom::common::FolderChooser {
 public:
  std::string ChooseFolder(const std::string&) override {
    if (answers.empty()) return {};
    std::string answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<std::string> answers;
};

// Folders of the test: where the program starts, a catalogue of the user's, a folder that is
// none, the demo and the place of the writable copy; Cyrillic names with blanks, as a Russian
// desktop has them.
constexpr const char* kStarted = "Рабочий стол";
constexpr const char* kMine = "Документы/Мой каталог";
constexpr const char* kPlain = "Документы/Разное";
constexpr const char* kDemo = "Программа/demo";
constexpr const char* kOwn = "Данные/trubkom/catalogue";
// The copy of a catalogue that cannot be written, beside the user's own, named after its folder.
constexpr const char* kStartedCopy = "Данные/trubkom/catalogue-Рабочий стол";

void MakeCatalogue(const trubkom::testing::TempCatalogue& root, const std::string& folder,
                   const std::string& mark) {
  root.WriteBytes(folder + "/Base/base.tkm", mark);
  root.WriteBytes(folder + "/Templates/index.html", "<html></html>");
}

bool Holds(const std::string& text, const std::string& utf8) {
  return text.find(trubkom::common::Cp1251FromUtf8(utf8)) != std::string::npos;
}

}  // namespace

class StartFolderTest : public QObject {
  Q_OBJECT

 private slots:
  void startsWhereTheCatalogueIs() {
    struct Case {
      const char* what;
      // What the start folder holds: "catalogue", "read-only", "templates" (a home's), "".
      const char* started = "";
      const char* named = nullptr;       // the folder named by argument, or null
      const char* remembered = nullptr;  // the folder remembered before, or null
      bool own_exists = false;           // a catalogue is at the copy's place already
      bool demo_exists = true;           // the demo came with the program
      std::deque<Answer> answers = {};
      bool copy = false;                       // the answer to the offer of a copy
      std::deque<const char*> chosen = {};     // the folder dialog's answers
      const char* result = "";                 // the folder started on, or "" to quit
      const char* remembered_after = nullptr;  // or null
      int questions = 0, messages = 0;
    };
    const Case cases[] = {
        {.what = "a catalogue",
         .started = "catalogue",
         .remembered = kMine,
         .result = kStarted,
         .remembered_after = kMine},
        {.what = "no catalogue, one remembered",
         .remembered = kMine,
         .result = kMine,
         .remembered_after = kMine},
        {.what = "the first start: the demo copied", .result = kOwn},
        {.what = "a home folder with Templates of its own: the demo copied",
         .started = "templates",
         .result = kOwn},
        {.what = "a later start: the copy", .own_exists = true, .result = kOwn},
        {.what = "the remembered one gone: said, the copy taken, the choice kept",
         .remembered = kPlain,
         .own_exists = true,
         .result = kOwn,
         .remembered_after = kPlain,
         .messages = 1},
        {.what = "a catalogue named",
         .started = "catalogue",
         .named = kMine,
         .remembered = kPlain,
         .result = kMine,
         .remembered_after = kPlain},
        {.what = "a folder without a catalogue named, the demo opened",
         .started = "catalogue",
         .named = kPlain,
         .answers = {Answer::kOpenDemo},
         .result = kOwn,
         .remembered_after = kOwn,
         .questions = 1},
        {.what = "no demo, a folder without a catalogue chosen, then one with",
         .demo_exists = false,
         .answers = {Answer::kChooseFolder, Answer::kChooseFolder},
         .chosen = {kPlain, kMine},
         .result = kMine,
         .remembered_after = kMine,
         .questions = 2,
         .messages = 1},
        {.what = "no demo, the demo asked for, then quit",
         .demo_exists = false,
         .answers = {Answer::kOpenDemo, Answer::kQuit},
         .questions = 2,
         .messages = 1},
        {.what = "no demo, choice cancelled, then quit",
         .demo_exists = false,
         .answers = {Answer::kChooseFolder, Answer::kQuit},
         .questions = 2},
        {.what = "read-only, copied",
         .started = "read-only",
         .copy = true,
         .result = kStartedCopy,
         .remembered_after = kStartedCopy,
         .questions = 1},
        {.what = "read-only, kept", .started = "read-only", .result = kStarted, .questions = 1},
        {.what = "read-only beside the user's own catalogue: this one copied, not the other",
         .started = "read-only",
         .own_exists = true,
         .copy = true,
         .result = kStartedCopy,
         .remembered_after = kStartedCopy,
         .questions = 1},
    };
    for (const Case& c : cases) {
      trubkom::testing::TempCatalogue root("Пользователь");
      auto path = [&](const char* relative) { return root.Path(relative); };
      fs::create_directories(path(kStarted));
      MakeCatalogue(root, kMine, "mine");
      fs::create_directories(path(kPlain));
      if (c.demo_exists) MakeCatalogue(root, kDemo, "demo");
      if (std::string(c.started) == "catalogue") MakeCatalogue(root, kStarted, "started");
      if (std::string(c.started) == "templates") {
        root.WriteBytes(std::string(kStarted) + "/Templates/letter.odt", "a user's template");
      }
      if (std::string(c.started) == "read-only") {
        root.WriteBytes(std::string(kStarted) + "/Base/base.tkm", "started");
        root.WriteBytes(std::string(kStarted) + "/Templates", "a file where a folder must be");
      }
      if (c.own_exists) MakeCatalogue(root, kOwn, "own");
      QSettings settings(QString::fromStdString(path("settings.ini")), QSettings::IniFormat);
      if (c.remembered) {
        settings.setValue(QString::fromUtf8(trubkom::app::kCatalogueFolderKey),
                          QString::fromStdString(path(c.remembered)));
      }
      ScriptedQuestions questions;
      questions.answers = c.answers;
      questions.copy = c.copy;
      ScriptedChooser chooser;
      for (const char* folder : c.chosen) chooser.answers.push_back(path(folder));
      trubkom::testing::FakeMessages messages;

      std::string started_on = trubkom::app::ChooseStartFolder(
          {path(kStarted), path(kDemo), path(kOwn), c.named ? path(c.named) : ""}, settings,
          {questions, messages, chooser});

      QVERIFY2(started_on == (*c.result ? path(c.result) : ""), c.what);
      QVERIFY2(
          settings.value(QString::fromUtf8(trubkom::app::kCatalogueFolderKey)).toString() ==
              (c.remembered_after ? QString::fromStdString(path(c.remembered_after)) : QString()),
          c.what);
      QVERIFY2(static_cast<int>(questions.asked.size()) == c.questions, c.what);
      QVERIFY2(static_cast<int>(messages.texts.size()) == c.messages, c.what);
      // Every question names the folder it is about; the message of a remembered folder that
      // is gone names that folder.
      for (const std::string& text : questions.asked) {
        QVERIFY2(Holds(text, path(c.named ? c.named : kStarted)), c.what);
      }
      if (c.remembered && c.messages) {
        QVERIFY2(Holds(messages.texts[0], path(c.remembered)), c.what);
      }
      // A copy holds what it was copied from; a catalogue already there is kept as it was.
      if (started_on == path(kStartedCopy)) {
        QVERIFY2(root.ReadBytes(std::string(kStartedCopy) + "/Base/base.tkm") == "started", c.what);
      }
      if (started_on == path(kOwn)) {
        std::string expected = c.own_exists                            ? "own"
                               : std::string(c.started) == "read-only" ? "started"
                                                                       : "demo";
        QVERIFY2(root.ReadBytes(std::string(kOwn) + "/Base/base.tkm") == expected, c.what);
      }
    }
  }

  // The offer of a copy names both folders and why the catalogue cannot be written.
  void aReadOnlyCatalogueIsSaidWithTheReason() {
    trubkom::testing::TempCatalogue root("Пользователь");
    root.WriteBytes(std::string(kStarted) + "/Base/base.tkm", "started");
    root.WriteBytes(std::string(kStarted) + "/Templates", "a file where a folder must be");
    QSettings settings(QString::fromStdString(root.Path("settings.ini")), QSettings::IniFormat);
    ScriptedQuestions questions;
    ScriptedChooser chooser;
    trubkom::testing::FakeMessages messages;
    (void)trubkom::app::ChooseStartFolder(
        {root.Path(kStarted), root.Path(kDemo), root.Path(kOwn), ""}, settings,
        {questions, messages, chooser});
    QCOMPARE(questions.asked.size(), std::size_t{1});
    const std::string& text = questions.asked[0];
    QVERIFY(Holds(text, root.Path(kStarted) + "/Templates: в пути есть файл вместо папки"));
    QVERIFY(Holds(text, "Скопировать каталог в папку «" + root.Path(kStartedCopy) + "»"));
  }
};

QTEST_MAIN(StartFolderTest)
#include "start_folder_test.moc"
