#include "gui/app/application.h"

#include "engine/audio_device/audio_device.h"
#include "gui/app/gui_message_sink.h"
#include "gui/main/main_window.h"
#include "platform/system_shutdown.h"
#include "platform/translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

namespace vc::gui {

bool ParseStartOptions(const QStringList& arguments, StartOptions& options, int& exit_code) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Video converter"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("lang"), QStringLiteral("Interface language: zh or en."), QStringLiteral("zh|en")});
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "videoconverter: %s\n", qPrintable(parser.errorText()));
        exit_code = 2;
        return false;
    }
    if (parser.isSet("help")) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        exit_code = 0;
        return false;
    }
    if (parser.isSet("version")) {
        std::printf("videoconverter %s\n", VC_VERSION);
        exit_code = 0;
        return false;
    }
    if (parser.isSet("lang")) {
        options.language = i18n::ParseLanguage(parser.value("lang"));
        if (options.language.isEmpty()) {
            std::fprintf(stderr, "videoconverter: --lang takes zh or en, not \"%s\"\n",
                         qPrintable(parser.value("lang")));
            exit_code = 2;
            return false;
        }
    }
    return true;
}

int RunApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("videoconverter"));
    QApplication::setApplicationVersion(QStringLiteral(VC_VERSION));
    QApplication::setOrganizationName(QStringLiteral("Velvox"));

    StartOptions options;
    int exit_code = 0;
    if (!ParseStartOptions(QApplication::arguments(), options, exit_code))
        return exit_code;
    i18n::InstallTranslations(app, options.language.isEmpty() ? i18n::SystemLanguage() : options.language);
    QApplication::setApplicationDisplayName(TFormMain::tr("视频转换器"));

    // From here on every box goes through the main thread, whoever raises it.
    GuiMessageSink sink;
    UseAudioDevice();
    LogindShutdown shutdown;

    // The window's session loads the settings (a damaged file is set aside with a message), opens
    // the store and the slot pool, and saves the settings when the window goes.
    TFormMain window(&shutdown);
    sink.SetParentWindow(&window);
    window.showMaximized();
    window.Started();
    const int code = QApplication::exec();
    sink.SetParentWindow(nullptr);
    return code;
}

} // namespace vc::gui
