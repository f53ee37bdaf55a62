#include "platform/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

namespace vc::i18n {

namespace {

// Main thread only, like the application object they are installed on.
std::unique_ptr<QTranslator> g_program;
std::unique_ptr<QTranslator> g_qt;
QString g_language = QStringLiteral("zh");

} // namespace

QString ParseLanguage(const QString& value) {
    const QString v = value.trimmed().toLower();
    if (v == "zh" || v.startsWith("zh_") || v.startsWith("zh-"))
        return QStringLiteral("zh");
    if (v == "en" || v.startsWith("en_") || v.startsWith("en-"))
        return QStringLiteral("en");
    return {};
}

QString LanguageForLocale(const QString& locale_name) {
    return locale_name.trimmed().toLower().startsWith("zh") ? QStringLiteral("zh") : QStringLiteral("en");
}

QString SystemLanguage() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"}) {
        const QString value = qEnvironmentVariable(name);
        // "C" and "POSIX" say nothing about a language.
        if (!value.isEmpty() && value != "C" && !value.startsWith("C.") && value != "POSIX")
            return LanguageForLocale(value.section(':', 0, 0));
    }
    return LanguageForLocale(QLocale::system().name());
}

bool InstallTranslations(QCoreApplication& app, const QString& language) {
    for (auto* old : {&g_program, &g_qt})
        if (*old) {
            app.removeTranslator(old->get());
            old->reset();
        }
    g_language = language == "en" ? QStringLiteral("en") : QStringLiteral("zh");

    auto qt = std::make_unique<QTranslator>();
    const QString qt_name = g_language == "en" ? "qtbase_en" : "qtbase_zh_CN";
    if (qt->load(qt_name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        app.installTranslator(qt.get());
        g_qt = std::move(qt);
    }
    if (g_language == "zh")
        return true; // the source texts are Chinese

    auto program = std::make_unique<QTranslator>();
    if (!program->load(QStringLiteral(":/i18n/videoconverter_%1.qm").arg(g_language)))
        return false;
    app.installTranslator(program.get());
    g_program = std::move(program);
    return true;
}

QString CurrentLanguage() {
    return g_language;
}

} // namespace vc::i18n
