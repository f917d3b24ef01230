// Qt's standard dialogs speak the locale's language when Qt's translations are installed.
#include "app/qt_translations.h"

#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>
#include <QTest>

class QtTranslationsTest : public QObject {
  Q_OBJECT

 private slots:
  void standardButtonsSpeakTheLocalesLanguage() {
    auto cancel_caption = [] {
      QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
      return box.button(QDialogButtonBox::Cancel)->text();
    };
    // A language Qt has no translation for changes nothing.
    QVERIFY(!trubkom::app::InstallQtTranslations(QLocale(QLocale::Esperanto)));
    QCOMPARE(cancel_caption(), QStringLiteral("Cancel"));
    QVERIFY(trubkom::app::InstallQtTranslations(QLocale(QLocale::Russian, QLocale::Russia)));
    QCOMPARE(cancel_caption(), QString::fromUtf8("Отмена"));
  }
};

QTEST_MAIN(QtTranslationsTest)
#include "qt_translations_test.moc"
