// The update dialog: its options, Enter starting a run, closing keeping its state, and a run
// that fetches and applies a package from a loopback server without freezing the window.
#include "app/update_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include "support/fake_ports.h"
#include "support/scripted_http_server.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/package.h"
#include "update/package_keys.h"

using trubkom::app::UpdateDialog;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// Message boxes answered at once, noting whether they were asked on the window's thread.
class WindowThreadMessages : public trubkom::testing::FakeMessages {
 public:
  void Inform(const std::string& text) override {
    on_window_thread = on_window_thread && QThread::currentThread() == qApp->thread();
    FakeMessages::Inform(text);
  }
  bool on_window_thread = true;
};

QStringList Lines(UpdateDialog& dialog) {
  QStringList lines;
  auto* status = dialog.findChild<QListWidget*>(U("status"));
  for (int i = 0; i < status->count(); ++i) lines << status->item(i)->text();
  return lines;
}

}  // namespace

class UpdateDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void optionsAndTheirControls() {
    trubkom::testing::TempCatalogue cat;
    UpdateDialog dialog({cat.root(), "http://127.0.0.1:9/"});
    QCOMPARE(dialog.windowTitle(), U("Автоматическое обновление базы данных"));
    QCOMPARE(Lines(dialog), QStringList{U("Обновлений не проводилось")});
    dialog.show();
    auto* proxy = dialog.findChild<QCheckBox*>(U("useProxy"));
    auto* local = dialog.findChild<QCheckBox*>(U("localFolder"));
    auto* edit = dialog.findChild<QLineEdit*>(U("proxy"));
    QVERIFY(!edit->isVisible());
    QCOMPARE(edit->text(), U("127.0.0.1:8080"));
    proxy->click();
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->pos(), QPoint(144, 28));
    edit->setText(U("10.0.0.1:3128"));
    proxy->click();
    QVERIFY(!edit->isVisible());
    local->click();
    QVERIFY(!proxy->isEnabled() && !edit->isEnabled());
    local->click();
    QVERIFY(proxy->isEnabled() && edit->isEnabled());
    proxy->click();
    QCOMPARE(edit->text(), U("10.0.0.1:3128"));
  }

  // Enter runs an update; closing keeps the options for the next showing, which says again when
  // the catalogue was last updated instead of the last run's lines.
  void enterRunsAndReopeningShowsTheLastUpdate() {
    trubkom::testing::TempCatalogue cat;
    UpdateDialog dialog({cat.root(), "http://127.0.0.1:9/"});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.findChild<QCheckBox*>(U("useProxy"))->click();
    QSignalSpy finished(&dialog, &UpdateDialog::runFinished);
    QTest::keyClick(&dialog, Qt::Key_Return);
    QVERIFY(finished.wait(10000));
    // No proxy answers, nothing on disk: the list was cleared, and says why nothing came.
    const QStringList said{U("Прокси-сервер не отвечает: 127.0.0.1:8080: соединение не принято")};
    QCOMPARE(Lines(dialog), said);
    dialog.findChild<QListWidget*>(U("status"))->addItem(U("kept"));
    dialog.close();
    QVERIFY(!dialog.isVisible());
    dialog.show();
    QCOMPARE(Lines(dialog), QStringList{U("Обновлений не проводилось")});
    QVERIFY(dialog.findChild<QCheckBox*>(U("useProxy"))->isChecked());
  }

  // The options kept for the next run of the program: the proxy, and the local folder, which
  // the folder dialog opens at from then on.
  void rememberedOptions() {
    trubkom::testing::TempCatalogue cat;
    trubkom::testing::TempCatalogue packages("Загрузки/Пакеты");
    trubkom::testing::FakeFolderChooser folders;
    folders.answer = packages.root();
    UpdateDialog::Remembered remembered;
    {
      UpdateDialog dialog({cat.root(), "http://127.0.0.1:9/", nullptr, nullptr, &folders});
      QCOMPARE(dialog.remembered().local_folder, QString());
      dialog.findChild<QCheckBox*>(U("localFolder"))->click();
      for (int run = 0; run < 2; ++run) {
        QSignalSpy finished(&dialog, &UpdateDialog::runFinished);
        dialog.findChild<QPushButton*>(U("update"))->click();
        QVERIFY(finished.wait(10000));
      }
      QCOMPARE(folders.starts, (std::vector<std::string>{cat.root(), packages.root()}));
      dialog.findChild<QCheckBox*>(U("useProxy"))->setChecked(true);
      dialog.findChild<QLineEdit*>(U("proxy"))->setText(U("10.0.0.1:3128"));
      remembered = dialog.remembered();
    }
    QVERIFY(remembered.use_proxy);
    QCOMPARE(remembered.proxy, U("10.0.0.1:3128"));
    QCOMPARE(remembered.local_folder, QFile::decodeName(packages.root().c_str()));

    folders.starts.clear();
    UpdateDialog again({cat.root(), "http://127.0.0.1:9/", nullptr, nullptr, &folders});
    again.Restore(remembered);
    QVERIFY(again.findChild<QCheckBox*>(U("useProxy"))->isChecked());
    QCOMPARE(again.findChild<QLineEdit*>(U("proxy"))->text(), U("10.0.0.1:3128"));
    again.findChild<QCheckBox*>(U("localFolder"))->click();
    QSignalSpy finished(&again, &UpdateDialog::runFinished);
    again.findChild<QPushButton*>(U("update"))->click();
    QVERIFY(finished.wait(10000));
    QCOMPARE(folders.starts, std::vector<std::string>{packages.root()});
  }

  // A run from the server: the button is disabled while it lasts, the lines arrive, the
  // package's message box is shown on the window's thread, and the package is applied.
  void runFetchesAndAppliesWithoutFreezing() {
    using namespace trubkom;
    const update::SealingKeys keys = update::NewSealingKeys();
    std::string archive = testing::MakeZip(
        {{"upd.tkm", testing::W("MESSAGE Новые модели\r\nADDFILE upd150107.new TO updates\\\r\n")},
         {"upd150107.new", "Nokia X *\r\n"}});
    testing::ScriptedHttpServer server(
        {{"/updates/index.txt", testing::Respond("200 OK", "upd150107.upd\r\n")},
         {"/updates/upd150107.upd",
          testing::Respond("200 OK", update::SealPackage(archive, "upd150107.upd", keys))}});
    testing::TempCatalogue cat;
    WindowThreadMessages messages;
    UpdateDialog dialog(
        {cat.root(), server.Url("/"), nullptr, &messages, nullptr, update::OpeningKeysFor(keys)});
    dialog.show();
    QSignalSpy finished(&dialog, &UpdateDialog::runFinished);
    dialog.findChild<QPushButton*>(U("update"))->click();
    QVERIFY(finished.wait(20000));
    QCOMPARE(messages.texts, std::vector<std::string>{testing::W("Новые модели")});
    QVERIFY(messages.on_window_thread);
    QCOMPARE(Lines(dialog).mid(0, 3),
             (QStringList{U("Скачиваем список апдейтов"), U("Скачиваем апдейт от 15.01.07"),
                          U("Завершено")}));
    QVERIFY(QFile::exists(QString::fromStdString(cat.Path("updates/upd150107.new"))));
    // What the package said stays in the list too, under its own package's header.
    const QStringList lines = Lines(dialog);
    const auto header = lines.indexOf(U("Апдейт от 15.01.07"));
    QVERIFY(header > 0);
    QVERIFY(lines.indexOf(U("Новые модели"), header) > header);
    dialog.close();
    dialog.show();
    QCOMPARE(Lines(dialog), QStringList{U("Последнее обновление от 15.01.07")});
  }

  // Closing during a run cancels it: the stalled download stops, leaves no file, and the
  // dialog closes once the run has ended.
  void closingDuringARunCancelsIt() {
    trubkom::testing::TempCatalogue cat;
    trubkom::testing::ScriptedHttpServer server(
        {{"/updates/index.txt",
          {"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", "upd",
           trubkom::testing::Then::kStall}}});
    UpdateDialog dialog({cat.root(), server.Url("/")});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto* update = dialog.findChild<QPushButton*>(U("update"));
    QSignalSpy finished(&dialog, &UpdateDialog::runFinished);
    update->click();
    QTRY_COMPARE(Lines(dialog), QStringList{U("Скачиваем список апдейтов")});
    QVERIFY(!update->isEnabled());
    dialog.close();
    QVERIFY(finished.wait(10000));
    QTRY_VERIFY(!dialog.isVisible());
    QVERIFY(update->isEnabled());
    QVERIFY(!QFile::exists(QString::fromStdString(cat.Path("updates/index.txt"))));
    // Nothing of the cut download stays; the lock the run held does.
    QCOMPARE(QDir(QString::fromStdString(cat.Path("updates"))).entryList(QDir::Files),
             QStringList{U("update.lock")});
  }
};

QTEST_MAIN(UpdateDialogTest)
#include "update_dialog_test.moc"
