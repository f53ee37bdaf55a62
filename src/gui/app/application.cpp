#include "gui/app/application.h"

#include "engine/audio_device/audio_device.h"
#include "gui/app/desktop_notifier.h"
#include "gui/app/gui_message_sink.h"
#include "gui/app/launcher_progress.h"
#include "gui/app/single_instance.h"
#include "gui/main/desktop_session.h"
#include "gui/main/dialog_calls.h"
#include "gui/main/main_window.h"
#include "platform/system_shutdown.h"
#include "platform/translations.h"
#include "tasks/task_tree.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QPointer>
#include <QTimer>
#include <cstdio>

namespace vc::gui {

bool ParseStartOptions(const QStringList& arguments, StartOptions& options, int& exit_code) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Video converter"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {QStringLiteral("lang"), QStringLiteral("Interface language: zh or en."), QStringLiteral("zh|en")});
    parser.addPositionalArgument(
        QStringLiteral("files"),
        QStringLiteral("Files to convert: one opens the new-conversion wizard, several "
                       "(or a folder) the batch wizard. When the program runs already, "
                       "they open in its window."),
        QStringLiteral("[FILE...]"));
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
    options.files = parser.positionalArguments();
    return true;
}

void OpenFilesWhenFree(TFormMain* window, const QStringList& files) {
    if (!window || files.isEmpty())
        return;
    if (QApplication::activeModalWidget()) {
        QPointer<TFormMain> guarded(window);
        QTimer::singleShot(300, window, [guarded, files] { OpenFilesWhenFree(guarded, files); });
        return;
    }
    window->OpenFiles(files);
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
    QStringList refused;
    const QStringList files = CheckedPaths(options.files, QDir::currentPath(), &refused);
    for (const QString& name : refused)
        std::fprintf(stderr, "videoconverter: not a file or folder: %s\n", qPrintable(name));
    // A program that runs already takes the files and comes to the front; this start is done.
    const QString instance_folder = InstanceFolder();
    if (SendToRunningInstance(instance_folder, files))
        return 0;
    TInstanceServer instance;
    if (!instance_folder.isEmpty() && !instance.Listen(instance_folder)) {
        // Another start won the race to listen: it takes the files.
        if (SendToRunningInstance(instance_folder, files))
            return 0;
        std::fprintf(stderr, "videoconverter: files opened later will start another window (%s)\n",
                     qPrintable(instance_folder));
    }

    i18n::InstallTranslations(app, options.language.isEmpty() ? i18n::SystemLanguage() : options.language);
    QApplication::setApplicationDisplayName(TFormMain::tr("视频转换器"));

    // From here on every box goes through the main thread, whoever raises it.
    GuiMessageSink sink;
    UseAudioDevice();
    LogindShutdown shutdown;

    // The window's session loads the settings (a damaged file is set aside with a message), opens
    // the store and the slot pool, and saves the settings when the window goes.
    const QDBusConnection bus = QDBusConnection::sessionBus();
    TDesktopNotifier notifier(bus, ShowDesktopAlert); // outlives the window, which calls it
    TFormMain window(&shutdown);
    sink.SetParentWindow(&window);
    // Finished tasks through the desktop's notifications where there are any, else our alert;
    // the conversions' progress on the launcher icon.
    window.SetCompletionAlert([&notifier](const QString& target) { notifier.Show(target); });
    TLauncherProgress launcher(bus, [&window] {
        const TTaskTree* tree = window.Session().Tree();
        return tree ? ConversionFigures(*tree) : LauncherFigures{};
    });
    window.showMaximized();
    QObject::connect(&instance, &TInstanceServer::FilesReceived, &window,
                     [&window](const QStringList& received) {
                         RaiseWindow(&window);
                         OpenFilesWhenFree(&window, received);
                     });
    window.Started();
    OpenFilesWhenFree(&window, files);
    const int code = QApplication::exec();
    sink.SetParentWindow(nullptr);
    return code;
}

} // namespace vc::gui
