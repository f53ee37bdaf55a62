#pragma once
// The interface languages. The program's own texts are Chinese; English ships beside them as a
// compiled translation embedded in the program.
#include <QString>

class QCoreApplication;

namespace vc::i18n {

// "zh" or "en" from a --lang value ("zh", "zh_CN", "en", "en_GB", any case); empty when the value
// names neither.
QString ParseLanguage(const QString& value);
// The language of a locale name such as "zh_CN.UTF-8" or "de_DE": Chinese for Chinese locales,
// English for every other.
QString LanguageForLocale(const QString& locale_name);
// The language the system asks for: LC_ALL, LC_MESSAGES, LANG, LANGUAGE (the first set), else the
// locale Qt reports.
QString SystemLanguage();

// Installs the translators of `language` ("zh" or "en") on the application, replacing those of an
// earlier call: the program's own catalogue for English, and Qt's own texts (standard buttons)
// for both when they are installed. Returns false when the program's catalogue could not be
// loaded (the Chinese texts then show).
bool InstallTranslations(QCoreApplication& app, const QString& language);
// The language installed last ("zh" before any call).
QString CurrentLanguage();

} // namespace vc::i18n
