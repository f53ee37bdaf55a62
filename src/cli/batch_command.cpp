// vconv batch: many files with one profile into one folder, one task per file, run under the
// conversion-slot limit and followed in a live table until all are done.
#include "cli/commands.h"
#include "cli/console_tasks.h"
#include "cli/convert_profile_options.h"

#include "engine/options/option_bounds.h"
#include "model/settings/configuration.h"
#include "model/settings/conversion_settings.h"
#include "model/settings/thread_counts.h"
#include "platform/error.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/batch_plan.h"
#include "tasks/task_locks.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstdio>

namespace vc::cli {

namespace {

const char* kDescription =
    "Converts every FILE with the catalogue profile DESCRIPTION into FOLDER, one task per file.\n"
    "\n"
    "Each output is named after its source with the profile's extension. The tasks are added to\n"
    "the task list (see `vconv tasks`) and run as conversion slots become free, shared with every\n"
    "other running copy of the program; a finished task moves into the history category\n"
    "(--category, default the root). A table of the tasks shows status, progress, bit rate,\n"
    "elapsed and remaining time until all are done. Without -o the category's folder is used.\n"
    "\n"
    "Two runs never write one file: a FILE listed twice, two FILEs of one name from different\n"
    "folders, or an output another unfinished task writes are refused, unless --number gives the\n"
    "later one a numbered name (clip (2).mp4).\n"
    "\n"
    "Ctrl+C stops the tasks; they stay in the task list, failed, and `vconv start ID` runs one\n"
    "again.\n"
    "\n"
    "Exit codes: 0 all done, 1 a task failed (the reason on stderr), 2 usage error,\n"
    "130 stopped by Ctrl+C.\n"
    "\n"
    "Example:\n"
    "  vconv batch --profile \"MPEG-4 Video (*.mp4)\" --profile-category MP4 -o ~/Videos a.avi b.mov c.mkv";

} // namespace

int RunBatchCommand(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    args[0] = "vconv batch";

    QCommandLineParser parser;
    parser.setApplicationDescription(kDescription);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addPositionalArgument("FILE", "the files to convert", "FILE...");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption output({"o", "output"}, "The output folder (made when missing).", "FOLDER");
    const QCommandLineOption category(
        "category", "File the finished tasks under history category ID (see `vconv categories`).", "ID");
    const QCommandLineOption quiet({"q", "quiet"}, "Show no table.");
    const QCommandLineOption number(
        "number", "Write a file whose output is taken (by another FILE or another unfinished task) to a "
                  "numbered name, clip (2).mp4, instead of refusing the batch.");
    const QCommandLineOption progress = ProgressOption();
    parser.addOptions({help, output, category, quiet, number, progress});
    const ProfileFilterOptions profile_filter_options;
    parser.addOptions(profile_filter_options.All());
    if (!parser.parse(args))
        return UsageError("batch", parser.errorText().toStdString());
    if (parser.isSet(help)) {
        std::printf("%s", parser.helpText().toLocal8Bit().constData());
        return 0;
    }
    std::string style_error;
    const auto style = ChosenProgressStyle(parser, progress, quiet, style_error);
    if (!style)
        return UsageError("batch", style_error);
    QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError("batch", "no FILE given");
    if (!parser.isSet(profile_filter_options.profile))
        return UsageError("batch", "no profile given (--profile DESCRIPTION; `vconv profiles` lists them)");
    int category_id = TPersistentManager::kRootCategoryId;
    if (parser.isSet(category)) {
        const auto id = ParseId(parser.value(category));
        if (!id)
            return UsageError("batch", "--category wants a category id, got '" +
                                           parser.value(category).toStdString() + "'");
        category_id = static_cast<int>(*id);
    }
    for (QString& file : files) {
        const QFileInfo info(file);
        if (!info.isFile()) {
            std::fprintf(stderr, "vconv batch: '%s' is not a file\n", file.toLocal8Bit().constData());
            return 1;
        }
        file = info.absoluteFilePath();
    }

    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        const auto stored_category = session.Store().LoadCategory(category_id);
        if (!stored_category)
            return UsageError("batch", "there is no category " + std::to_string(category_id) +
                                           " (`vconv categories` lists them)");
        QString folder = parser.isSet(output) ? parser.value(output) : stored_category->Path;
        if (folder.trimmed().isEmpty())
            return UsageError("batch", "no output folder (-o FOLDER)");
        // The wizard leaves a missing folder to the run, where every task would fail on it.
        if (!QDir().mkpath(folder))
            throw Error("Cannot create the output folder " + folder.toStdString());
        folder = QDir(folder).absolutePath();

        TConversionSettings request;
        TAVConvertOptions* options = request.ConvertOptions();
        QStringList no_outputs; // the runner names each output
        ChosenProfile profile;
        if (const std::string error =
                ApplyProfileAndFilters(parser, profile_filter_options, files, no_outputs, options, &profile);
            !error.empty())
            return UsageError("batch", error);
        // The single-file count was set before the profile's Apply; a profile that fixes its own
        // count (image sequences) keeps it.
        const int configured = AVConfiguration().PerformanceOptions()->ThreadCount();
        if (options->ThreadCount() == ConversionThreadCount(configured))
            options->SetThreadCount(BatchThreadCount(configured, QThread::idealThreadCount(),
                                                     static_cast<int>(files.size()),
                                                     SlotsAtOnce(ConsoleSessionSetup().slot_count)));
        if (const auto problem = FindOptionOutOfBounds(*options))
            return UsageError("batch",
                              DescribeOutOfBounds(*problem, "the profile's " + problem->path.toStdString()));

        request.SetSourceFiles(files);
        request.SetSourceType(TConversionSettings::stFile);
        request.SetTargetFolder(folder);
        request.SetTargetFile(profile.extension);
        request.SetProfile(profile.description);
        request.SetCategoryId(category_id);

        // Two runs writing one file would ruin it (the same file listed twice, files of one name
        // from different folders, an output another task writes): refused before anything starts,
        // or numbered when asked.
        const std::vector<TBatchItem> plan = PlanBatch(
            request, &session.Locks(), parser.isSet(number) ? BatchClashes::Number : BatchClashes::Keep);
        if (!parser.isSet(number))
            for (const TBatchItem& item : plan)
                if (item.clash != TBatchItem::Clash::None)
                    return UsageError("batch", DescribeClash(item).toStdString() +
                                                   "; --number writes it to " +
                                                   NumberedName(item.planned, 2).toStdString() +
                                                   " or the next free number");

        std::vector<TAVTask*> tasks;
        int not_started = 0;
        for (const TBatchStart& started : session.NewBatch(request, plan)) {
            if (!started.task) {
                ++not_started;
                std::fprintf(stderr, "vconv batch: %s: %s\n", started.source.toLocal8Bit().constData(),
                             started.error.c_str());
                continue;
            }
            tasks.push_back(started.task);
            if (*style == ProgressStyle::Text)
                std::fprintf(stderr, "Task %lld: %s -> %s\n", static_cast<long long>(started.task->ID()),
                             started.source.toLocal8Bit().constData(),
                             started.task->Settings().TargetFile().toLocal8Bit().constData());
        }
        const int code = FollowTasks(session, tasks, *style);
        return code == 0 && not_started > 0 ? 1 : code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv batch: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
