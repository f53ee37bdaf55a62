// The interface language: chosen from --lang or the locale, English loaded from the program's
// own catalogue, and every text of the catalogues translated.
#include "gui/app/application.h"
#include "platform/translations.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

namespace vc::gui {
namespace {

TEST(Language, ChosenFromTheCommandLineOrTheLocale) {
    struct Case {
        QString value, language;
    };
    for (const Case& c : {Case{"zh", "zh"}, Case{"zh_CN", "zh"}, Case{"EN", "en"}, Case{"en_GB", "en"},
                          Case{"fr", ""}, Case{"", ""}})
        EXPECT_EQ(i18n::ParseLanguage(c.value), c.language) << c.value.toStdString();
    EXPECT_EQ(i18n::LanguageForLocale("zh_TW.UTF-8"), "zh");
    EXPECT_EQ(i18n::LanguageForLocale("de_DE.UTF-8"), "en");
    EXPECT_EQ(i18n::LanguageForLocale("C"), "en");

    StartOptions options;
    int code = -1;
    EXPECT_TRUE(ParseStartOptions({"videoconverter", "--lang", "en"}, options, code));
    EXPECT_EQ(options.language, "en");
    EXPECT_FALSE(ParseStartOptions({"videoconverter", "--lang", "fr"}, options, code));
    EXPECT_EQ(code, 2);
    EXPECT_FALSE(ParseStartOptions({"videoconverter", "--bogus"}, options, code));
    EXPECT_EQ(code, 2);
}

TEST(Language, EnglishComesFromTheEmbeddedCatalogueAndChineseIsTheSource) {
    auto& app = *QCoreApplication::instance();
    ASSERT_TRUE(i18n::InstallTranslations(app, "en"));
    EXPECT_EQ(i18n::CurrentLanguage(), "en");
    EXPECT_EQ(QCoreApplication::translate("vc::TaskTexts", "任务列表"), "Task List");
    ASSERT_TRUE(i18n::InstallTranslations(app, "zh"));
    EXPECT_EQ(QCoreApplication::translate("vc::TaskTexts", "任务列表"), "任务列表");
}

// A text added to a window without its English would show Chinese in the English interface.
TEST(Language, EveryCatalogueTextHasItsTranslation) {
    const QDir dir(QString::fromStdString((test::SourceDir() / "src/gui/i18n").string()));
    const QStringList files = dir.entryList({"*.ts"}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        QXmlStreamReader xml(&file);
        QString context, source;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"name") {
                context = xml.readElementText();
            } else if (xml.name() == u"source") {
                source = xml.readElementText();
            } else if (xml.name() == u"translation") {
                const bool unfinished = xml.attributes().value("type") == u"unfinished" ||
                                        xml.attributes().value("type") == u"obsolete";
                const QString text = xml.readElementText();
                EXPECT_TRUE(!unfinished && !text.trimmed().isEmpty())
                    << name.toStdString() << ": " << context.toStdString() << " \"" << source.toStdString()
                    << "\" has no English";
            }
        }
        EXPECT_FALSE(xml.hasError()) << name.toStdString() << ": " << xml.errorString().toStdString();
    }
}

} // namespace
} // namespace vc::gui
