#include "cli/convert_checks.h"

#include "engine/options/convert_options.h"
#include "engine/options/option_bounds.h"
#include "engine/probe/media_duration.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace vc::cli {
namespace {

bool HasScheme(const QString& name) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(name).hasMatch();
}

std::string Seconds(long long us) {
    return QString::number(static_cast<double>(us) / 1000000.0, 'f', 1).toStdString();
}

} // namespace

std::string OutOfBoundsError(const TAVConvertOptions& options, const QStringList& assignments,
                             const std::vector<std::pair<QString, std::string>>& flags) {
    const auto problem = FindOptionOutOfBounds(options);
    if (!problem)
        return {};
    std::string name;
    for (const auto& [path, flag] : flags)
        if (path == problem->path)
            name = flag;
    for (const QString& assignment : assignments)
        if (assignment.section('=', 0, 0).trimmed().compare(problem->path, Qt::CaseInsensitive) == 0)
            name = "--set " + problem->path.toStdString();
    if (name.empty())
        name = "the profile's " + problem->path.toStdString();
    return DescribeOutOfBounds(*problem, name);
}

std::string StartPastEndError(const TAVConvertOptions& options, const QStringList& inputs) {
    if (options.StartTime() <= 0 || inputs.size() != 1)
        return {};
    const auto duration = MediaDurationUs(inputs.first().toStdString());
    if (!duration || options.StartTime() < *duration)
        return {};
    return "--start is " + Seconds(options.StartTime()) + " s, at or past the end of " +
           inputs.first().toStdString() + " (" + Seconds(*duration) + " s); nothing would be converted";
}

std::optional<FileProblem> CheckConvertFiles(const QStringList& inputs, const QStringList& outputs) {
    for (const QString& input : inputs) {
        if (HasScheme(input))
            continue;
        const QFileInfo info(input);
        if (!info.exists())
            return FileProblem{1,
                               "Could not open file: " + input.toStdString() + ": " + std::strerror(ENOENT)};
        if (info.isDir())
            return FileProblem{1,
                               "Could not open file: " + input.toStdString() + ": " + std::strerror(EISDIR)};
        if (access(QFile::encodeName(input).constData(), R_OK) != 0)
            return FileProblem{1,
                               "Could not open file: " + input.toStdString() + ": " + std::strerror(errno)};
    }
    for (const QString& output : outputs) {
        if (HasScheme(output))
            continue;
        const QFileInfo out(output);
        for (const QString& input : inputs)
            if (!HasScheme(input) && out.exists() &&
                out.canonicalFilePath() == QFileInfo(input).canonicalFilePath())
                return FileProblem{2, "OUTPUT " + output.toStdString() + " is the input " +
                                          input.toStdString() + "; give another output name"};
        if (out.isDir() || output.endsWith('/'))
            return FileProblem{
                2, "OUTPUT " + output.toStdString() +
                       " is a folder; give a file name, or --profile to name the file after INPUT"};
        const QString folder = out.absolutePath();
        if (QFileInfo(folder).isDir() && access(QFile::encodeName(folder).constData(), W_OK) != 0)
            return FileProblem{1, "Could not write to the folder " + folder.toStdString() + ": " +
                                      std::strerror(errno)};
    }
    return std::nullopt;
}

std::optional<FileProblem> CheckOverwrites(const QStringList& outputs, bool overwrite, const char* command) {
    if (overwrite)
        return std::nullopt;
    const bool ask = isatty(STDIN_FILENO) == 1 && isatty(STDERR_FILENO) == 1;
    for (const QString& output : outputs) {
        if (HasScheme(output) || !QFileInfo(output).isFile())
            continue;
        if (!ask)
            return FileProblem{1, output.toStdString() +
                                      " exists; give -y (--overwrite) to replace it, or another output name"};
        std::fprintf(stderr, "vconv %s: %s exists. Replace it? [y/N] ", command,
                     output.toLocal8Bit().constData());
        std::fflush(stderr);
        char answer[16] = {};
        const bool yes =
            std::fgets(answer, sizeof answer, stdin) != nullptr && (answer[0] == 'y' || answer[0] == 'Y');
        if (!yes)
            return FileProblem{1, output.toStdString() + " was not replaced"};
    }
    return std::nullopt;
}

} // namespace vc::cli
