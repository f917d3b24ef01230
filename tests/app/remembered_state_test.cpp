// What the program remembers between runs: written and read back whole; a settings file edited
// by hand, another program's or a damaged one gives what can be trusted of it, with warnings.
#include "app/remembered_state.h"

#include <QTest>
#include <string>
#include <vector>

#include "common/warnings.h"
#include "support/temp_catalogue.h"

using trubkom::app::RememberedState;
using trubkom::testing::W;

namespace {

class CollectedWarnings : public trubkom::common::WarningSink {
 public:
  CollectedWarnings() { trubkom::common::SetWarningSink(this); }
  ~CollectedWarnings() override { trubkom::common::SetWarningSink(nullptr); }
  void Warn(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

const QString kCatalogue = QString::fromUtf8("/home/пользователь/Каталог");

// The state read from a settings file of the given bytes.
RememberedState ReadFile(const std::string& bytes, std::vector<std::string>* warnings = nullptr) {
  trubkom::testing::TempCatalogue folder("Настройки");
  folder.WriteBytes("trubkom.conf", bytes);
  CollectedWarnings collected;
  QSettings settings(QString::fromStdString(folder.Path("trubkom.conf")), QSettings::IniFormat);
  RememberedState state = trubkom::app::ReadRememberedState(settings, kCatalogue);
  if (warnings) *warnings = collected.texts;
  return state;
}

}  // namespace

class RememberedStateTest : public QObject {
  Q_OBJECT

 private slots:
  void writtenAndReadBack() {
    RememberedState written;
    written.geometry = QRect(40, 60, 900, 600);
    written.geometry_scale = 2;
    written.maximized = true;
    written.column_widths = {250, 500, 200};
    written.brand = QString::fromUtf8("Sony-Ericsson");
    written.full_only = true;
    written.basket = {{W("Nokia 3310"), "1500"}, {W("Siemens C55 *"), ""}};
    written.use_proxy = true;
    written.proxy = QStringLiteral("10.0.0.1:3128");
    written.local_folder = QString::fromUtf8("/home/пользователь/Загрузки");
    trubkom::testing::TempCatalogue folder("Настройки");
    QString file = QString::fromStdString(folder.Path("trubkom.conf"));
    {
      QSettings settings(file, QSettings::IniFormat);
      trubkom::app::WriteRememberedState(settings, written, kCatalogue);
    }
    CollectedWarnings warnings;
    QSettings settings(file, QSettings::IniFormat);
    RememberedState read = trubkom::app::ReadRememberedState(settings, kCatalogue);
    // The basket is the catalogue's: another catalogue starts with an empty one.
    QVERIFY(trubkom::app::ReadRememberedState(settings, QStringLiteral("/other")).basket.empty());
    QCOMPARE(read.geometry, written.geometry);
    QCOMPARE(read.geometry_scale, 2.0);
    QCOMPARE(read.maximized, true);
    QCOMPARE(read.column_widths, written.column_widths);
    QCOMPARE(read.brand, written.brand);
    QCOMPARE(read.full_only, true);
    QCOMPARE(read.basket.size(), std::size_t{2});
    QCOMPARE(read.basket[0].model, W("Nokia 3310"));
    QCOMPARE(read.basket[0].price, std::string("1500"));
    QCOMPARE(read.basket[1].model, W("Siemens C55 *"));
    QCOMPARE(read.use_proxy, true);
    QCOMPARE(read.proxy, written.proxy);
    QCOMPARE(read.local_folder, written.local_folder);
    QVERIFY(warnings.texts.empty());

    // A smaller state written over it leaves nothing of the larger one behind.
    {
      QSettings again(file, QSettings::IniFormat);
      trubkom::app::WriteRememberedState(again, RememberedState(), kCatalogue);
    }
    QSettings again(file, QSettings::IniFormat);
    RememberedState empty = trubkom::app::ReadRememberedState(again, kCatalogue);
    QVERIFY(!empty.geometry);
    QVERIFY(empty.column_widths.isEmpty());
    QVERIFY(empty.basket.empty());
  }

  // Values of the wrong kind are left out, each with a warning naming the file and the
  // setting; the rest of the file is taken.
  void valuesOfTheWrongKindAreLeftOut() {
    std::vector<std::string> warnings;
    RememberedState state = ReadFile(
        "[window]\ngeometry=banana\nmaximized=perhaps\ncolumns=217, two, 184\n"
        "[models]\nbrand=@Rect(1 2 3 4)\nfullOnly=true\n"
        "[update]\nuseProxy=1\nproxy=10.0.0.1:3128\n"
        "[basket]\nsize=3\n1\\model=Nokia 3310\n1\\price=1500\n2\\model=@Rect(0 0 1 1)\n"
        "3\\model=Fly SX210\n",
        &warnings);
    QVERIFY(!state.geometry);
    QVERIFY(!state.maximized);
    QVERIFY(state.column_widths.isEmpty());
    QCOMPARE(state.brand, QString());
    QVERIFY(state.full_only);
    QVERIFY(!state.use_proxy);
    QCOMPARE(state.proxy, QStringLiteral("10.0.0.1:3128"));
    QCOMPARE(state.basket.size(), std::size_t{2});
    QCOMPARE(state.basket[1].model, std::string("Fly SX210"));
    QCOMPARE(warnings.size(), std::size_t{6});
    for (const std::string& warning : warnings) {
      QVERIFY2(warning.find("trubkom.conf: the setting ") != std::string::npos, warning.c_str());
    }
  }

  // Files that are no settings of ours never stop the program.
  void foreignAndDamagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("basket");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[\0=\x01", 22) << 0;
    QTest::newRow("another program's") << QByteArray("[General]\nfoo=bar\n[window]\nx=1\n") << 0;
    QTest::newRow("a basket too large") << QByteArray("[basket]\nsize=100000000\n") << 0;
    QTest::newRow("a negative basket") << QByteArray("[basket]\nsize=-5\n") << 0;
    QTest::newRow("a basket with holes")
        << QByteArray("[basket]\nsize=3\n2\\model=Nokia 6230\n") << 1;
    QTest::newRow("no end of line") << QByteArray("[window") << 0;
  }
  void foreignAndDamagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, basket);
    RememberedState state = ReadFile(bytes.toStdString());
    QVERIFY(!state.geometry);
    QCOMPARE(static_cast<int>(state.basket.size()), basket);
  }
};

QTEST_MAIN(RememberedStateTest)
#include "remembered_state_test.moc"
