// vconv: the command-line front end. Each subcommand lives in a file of its own
// (<name>_command.cpp) and is listed in the table below.
#include "cli/commands.h"
#include "platform/translations.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv); // argv[0] is the command name
};

// Keep in the order `vconv --help` shows them.
const Command kCommands[] = {
    {"convert", "convert or remux one file", vc::cli::RunConvertCommand},
    {"probe", "check a media file and describe its first video and audio stream", vc::cli::RunProbeCommand},
    {"dvd", "list the titles of a video DVD (dvd info PATH)", vc::cli::RunDvdCommand},
    {"drives", "list the optical drives holding a video DVD", vc::cli::RunDrivesCommand},
    {"config", "show or change the application settings", vc::cli::RunConfigCommand},
    {"snapshot", "save the picture at a given time as a PNG image", vc::cli::RunSnapshotCommand},
    {"profiles", "list the profile catalogue, show a profile's recipe, save Profiles.ini",
     vc::cli::RunProfilesCommand},
    {"batch", "convert many files with one profile, one task each, under the slot limit",
     vc::cli::RunBatchCommand},
    {"tasks", "list the unfinished tasks", vc::cli::RunTasksCommand},
    {"history", "list the finished tasks of a history category", vc::cli::RunHistoryCommand},
    {"start", "start a failed or left-behind task again and follow it", vc::cli::RunStartCommand},
    {"delete", "delete a task (and on request its source and output)", vc::cli::RunDeleteCommand},
    {"log", "print the log of a task", vc::cli::RunLogCommand},
    {"clear-log", "empty the log of a task", vc::cli::RunClearLogCommand},
    {"categories", "show, add, rename or delete history categories", vc::cli::RunCategoriesCommand},
};

void PrintUsage(std::FILE* to) {
    std::fprintf(to, "Usage: vconv COMMAND [options]\n\nCommands:\n");
    for (const auto& c : kCommands)
        std::fprintf(to, "  %-10s %s\n", c.name, c.summary);
    std::fprintf(to, "\nOptions:\n  -h, --help     show this help\n  --version      show the version\n"
                     "\n`vconv COMMAND --help` describes a command.\n");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("vconv");
    QCoreApplication::setApplicationVersion(VC_VERSION);
    // Table captions in the locale's language, as the desktop program shows them.
    vc::i18n::InstallTranslations(app, vc::i18n::SystemLanguage());
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    std::string first = argv[1];
    if (first == "-h" || first == "--help") {
        PrintUsage(stdout);
        return 0;
    }
    if (first == "--version")
        return vc::cli::PrintVersion();
    for (const auto& c : kCommands)
        if (first == c.name)
            return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "vconv: unknown command '%s'\n\n", argv[1]);
    PrintUsage(stderr);
    return 2;
}
