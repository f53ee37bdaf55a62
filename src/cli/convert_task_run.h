#pragma once
// `vconv convert` as a task: the request goes through the task list (a store row, the slot pool,
// the history) unless --no-history; a DVD title as the source (--dvd); the configuration loaded
// at the start and saved at the end, as the desktop program does.
#include "cli/progress_output.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

namespace vc {
class TAVConverter;
class TStreamRegistration;
} // namespace vc

namespace vc::cli {

struct ProfileFilterOptions;

struct ConvertTaskOptions {
    QCommandLineOption no_history{"no-history",
                                  "Convert without a task: nothing goes into the task list or the history."};
    QCommandLineOption category{"category",
                                "File the finished task under history category ID (default 1, the root; "
                                "see `vconv categories`).",
                                "ID"};
    QCommandLineOption dvd{
        "dvd",
        "Convert a title of the DVD at PATH (a drive, a disc folder or an ISO image) instead "
        "of INPUT. An OUTPUT folder gets the file VOLUME_TITLE with the profile's extension.",
        "PATH"};
    QCommandLineOption title{"title", "With --dvd: the title number.", "N"};
    QCommandLineOption chapters{"chapters", "With --dvd: the chapters from A through B (default: all).",
                                "A-B"};
    QCommandLineOption angle{"angle", "With --dvd: the camera angle (default 1).", "N"};

    QList<QCommandLineOption> All() const { return {no_history, category, dvd, title, chapters, angle}; }
};

// Loads the configuration when made (a damaged file is set aside with a warning) and saves it
// when it goes.
class ConfigurationScope {
public:
    ConfigurationScope();
    ~ConfigurationScope();
    ConfigurationScope(const ConfigurationScope&) = delete;
    ConfigurationScope& operator=(const ConfigurationScope&) = delete;
};

// The DVD title chosen with --dvd, registered as a "stream:" source while the command runs.
struct DvdSource {
    std::unique_ptr<TStreamRegistration> registration;
    QString drive;
    QString volume;
    int title = 0;
    int first_chapter = 1;
    int last_chapter = 1;
    int angle = 1;
    DvdSource();
    ~DvdSource();
};

// With --dvd: reads the disc, registers the title's stream and makes it the only input; an
// output folder (or none: the configured output folder) becomes VOLUME_TITLE plus the profile's
// extension. Returns an error text for the user, or an empty string.
std::string PrepareDvdSource(const QCommandLineParser& parser, const ConvertTaskOptions& o,
                             const ProfileFilterOptions& profile_options, QStringList& inputs,
                             QStringList& outputs, DvdSource& dvd);

// Runs the prepared conversion as a task of the task list and follows it; returns the exit code.
// Nothing (the caller converts directly) with --no-history, or for several inputs or outputs,
// which a task cannot hold.
std::optional<int> RunConvertAsTask(const QCommandLineParser& parser, const ConvertTaskOptions& o,
                                    const ProfileFilterOptions& profile_options, TAVConverter& prepared,
                                    const DvdSource& dvd, ProgressStyle style);

} // namespace vc::cli
