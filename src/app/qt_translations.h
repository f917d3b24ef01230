#pragma once

class QLocale;

namespace trubkom::app {

// Qt's own texts (the buttons of standard dialogs, the folder dialog, the menus of text fields,
// the command line's help) in the language of locale, from the translations Qt is installed
// with (qtbase_ru.qm of Debian's qt6-translations-l10n). Our own texts are Russian already; these
// would be English otherwise. True when they were found and installed.
bool InstallQtTranslations(const QLocale& locale);

}  // namespace trubkom::app
