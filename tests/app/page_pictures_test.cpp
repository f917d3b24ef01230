// Pages of a catalogue and a program kept in folders with Cyrillic names, blanks and address
// characters show their pictures in the real browser area.
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <functional>

#include "app/web_browser.h"
#include "app_test_support.h"
#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/model_page.h"
#include "common/folder_copy.h"
#include "selection/model_index.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

using namespace trubkom;

namespace {}  // namespace

class PagePicturesTest : public QObject {
  Q_OBJECT

 private slots:
  void picturesAndBannersLoad() {
    testing::TempCatalogue root("Мои документы");
    catalogue::Folders folders{root.Path("Каталог телефонов #1 (100%)"),
                               root.Path("Программы/Трубком ?&=")};
    QVERIFY(common::CopyFolder(testing::DemoFolder() + "/catalogue", folders.working));
    QVERIFY(common::CopyFolder(testing::DemoFolder() + "/program", folders.program));
    catalogue::CatalogueData data(folders.working);
    common::LineTable index =
        selection::LoadModelIndex(folders.working).value_or(common::LineTable{});
    catalogue::Advertising advertising;
    QVERIFY(catalogue::ReadConfigFile(folders.program, advertising));
    app::WebBrowser browser(folders);
    browser.resize(1000, 800);
    browser.show();
    testing::ScriptedRandom random;
    catalogue::PageContext context{
        folders,     data,    index, selection::PropertyVocabulary::Builtin(),
        advertising, browser, random};

    struct Case {
      const char* page;
      std::function<catalogue::PageFile()> show;
      // A word of the picture files that must be among the page's pictures.
      std::vector<const char*> pictures;
    };
    const Case cases[] = {
        {"short model page",
         [&] { return catalogue::ShowModelPage(context, "Nokia", "1100"); },
         {"/Pics/", "/banner"}},
        {"full model page",
         [&] { return catalogue::ShowModelPage(context, "Nokia", "1110 *"); },
         {"/Pics/", "/banner"}},
        {"comparison page",
         [&] { return catalogue::ShowComparePage(context, "Nokia 1100^Nokia 1110^"); },
         {"/Pics/"}},
    };
    for (const Case& c : cases) {
      QSignalSpy loaded(&browser, &app::WebBrowser::loadFinished);
      QVERIFY2(c.show(), c.page);
      QVERIFY2(loaded.wait(60000) && loaded.at(0).at(0).toBool(), c.page);
      std::optional<QVariant> broken = testing::RunInPage(
          browser, QStringLiteral("Array.from(document.images)"
                                  ".filter(i => !(i.complete && i.naturalWidth > 0))"
                                  ".map(i => i.src).join(' ')"));
      QVERIFY2(broken, c.page);
      QVERIFY2(broken->toString().isEmpty(),
               qPrintable(QString::fromUtf8(c.page) + QStringLiteral(": ") + broken->toString()));
      QString sources =
          testing::RunInPage(
              browser, QStringLiteral("Array.from(document.images).map(i => i.src).join(' ')"))
              .value_or(QVariant())
              .toString();
      for (const char* word : c.pictures) {
        QVERIFY2(sources.contains(QString::fromUtf8(word)), qPrintable(sources));
      }
    }
  }
};

QTEST_MAIN(PagePicturesTest)
#include "page_pictures_test.moc"
