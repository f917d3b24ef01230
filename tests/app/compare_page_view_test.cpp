// The comparison page of the demo templates in the real browser area: text wraps instead of
// being cut, a long model heading shows whole, and every column keeps in line with the labels.
#include <QSignalSpy>
#include <QTest>

#include "app/web_browser.h"
#include "app_test_support.h"
#include "catalogue/compare_page.h"
#include "common/folder_copy.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

using namespace trubkom;

namespace {

// Problems of the page's comparison, one a line: a cell whose text is cut, a cell out of line
// with the label of its row. A column that leaves the display row out lines up to that row.
const char* const kLayoutProblems = R"(
(() => {
  const labels = Array.from(document.querySelectorAll('.labels td'));
  const columns = Array.from(document.querySelectorAll('table.compare-rows > tbody > tr > td'))
      .slice(1).map(column => Array.from(column.querySelectorAll('td')));
  const problems = [];
  for (const cell of labels.concat(...columns)) {
    if (cell.scrollWidth > cell.clientWidth + 1 || cell.scrollHeight > cell.clientHeight + 1)
      problems.push('cut: ' + cell.textContent);
  }
  columns.forEach((cells, c) => {
    const whole = cells.length === labels.length;
    cells.forEach((cell, i) => {
      if (!whole && i > 23) return;
      const top = cell.getBoundingClientRect().top, label = labels[i].getBoundingClientRect().top;
      if (Math.abs(top - label) > 1) problems.push('column ' + c + ' row ' + i + ' out of line');
    });
  });
  return problems.join('\n');
})()
)";

}  // namespace

class ComparePageViewTest : public QObject {
  Q_OBJECT

 private slots:
  void textWrapsAndColumnsKeepInLine() {
    testing::TempCatalogue root;
    catalogue::Folders folders{root.Path("catalogue"), root.Path("program")};
    QVERIFY(common::CopyFolder(testing::DemoFolder() + "/catalogue", folders.working));
    const std::string heading(
        "Communicator Business Edition With A Rather Long Name That Takes Three Lines Or More");
    root.WriteText("catalogue/Base/zeta_new.xml",
                   "<brand><model><Model>" + heading +
                       "</Model><Standart>GSM 850 / GSM 900 / GSM 1800 / GSM 1900 / UMTS 2100 / "
                       "HSDPA 3600</Standart><Properties>1</Properties></model>"
                       "<model><Model>X1</Model><Properties>x</Properties></model>"
                       "<model><Model>Y2</Model><Properties>0</Properties></model></brand>");
    catalogue::CatalogueData data(folders.working);
    common::LineTable index;
    catalogue::Advertising advertising;
    app::WebBrowser browser(folders);
    browser.resize(1000, 800);
    browser.show();
    testing::ScriptedRandom random;
    catalogue::PageContext context{
        folders,     data,    index, selection::PropertyVocabulary::Builtin(),
        advertising, browser, random};
    QSignalSpy loaded(&browser, &app::WebBrowser::loadFinished);
    QVERIFY(catalogue::ShowComparePage(context, "Zeta " + heading + "^Zeta X1^Zeta Y2^"));
    QVERIFY(loaded.wait(60000) && loaded.at(0).at(0).toBool());

    std::optional<QVariant> problems =
        testing::RunInPage(browser, QString::fromUtf8(kLayoutProblems));
    QVERIFY(problems);
    QCOMPARE(problems->toString(), QString());
    // The long heading takes three lines and the long value more than one.
    auto height = [&](const char* selector) {
      return testing::RunInPage(
                 browser, QStringLiteral("document.querySelector('%1').getBoundingClientRect()"
                                         ".height")
                              .arg(QString::fromUtf8(selector)))
          .value_or(QVariant(0))
          .toDouble();
    };
    QVERIFY(height(".CompareInfoBig") >= 3 * 18);
    QVERIFY(height("table.compare-rows > tbody > tr > td:nth-child(2) tr:nth-child(3) > td") > 22);
  }
};

QTEST_MAIN(ComparePageViewTest)
#include "compare_page_view_test.moc"
