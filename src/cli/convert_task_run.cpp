#include "cli/convert_task_run.h"

#include "cli/console_tasks.h"
#include "cli/convert_profile_options.h"

#include "engine/converter/converter.h"
#include "engine/dvd/dvd_info.h"
#include "engine/dvd/dvd_stream.h"
#include "engine/streams/stream_source.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_list.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/configuration.h"
#include "model/settings/conversion_settings.h"
#include "platform/optical_drives.h"
#include "store/persistent_manager.h"
#include "tasks/av_task.h"
#include "tasks/task_tree.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace vc::cli {

ConfigurationScope::ConfigurationScope() {
    AVConfiguration().LoadAtStartup();
}

ConfigurationScope::~ConfigurationScope() {
    try {
        AVConfiguration().Save();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv: the settings were not saved: %s\n", e.what());
    }
}

DvdSource::DvdSource() = default;
DvdSource::~DvdSource() = default;

namespace {

std::optional<int> PositiveNumber(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok && n > 0 ? std::optional<int>(n) : std::nullopt;
}

} // namespace

std::string PrepareDvdSource(const QCommandLineParser& parser, const ConvertTaskOptions& o,
                             const ProfileFilterOptions& profile_options, QStringList& inputs,
                             QStringList& outputs, DvdSource& dvd) {
    if (!parser.isSet(o.dvd)) {
        if (parser.isSet(o.title) || parser.isSet(o.chapters) || parser.isSet(o.angle))
            return "--title, --chapters and --angle go with --dvd";
        return {};
    }
    if (!inputs.isEmpty())
        return "give either INPUT or --dvd PATH, not both";
    if (!parser.isSet(o.title))
        return "--dvd needs --title N (`vconv dvd info PATH` lists the titles)";
    const auto title = PositiveNumber(parser.value(o.title));
    if (!title)
        return "--title wants a title number from 1, got '" + parser.value(o.title).toStdString() + "'";
    int angle = 1;
    if (parser.isSet(o.angle)) {
        const auto n = PositiveNumber(parser.value(o.angle));
        if (!n)
            return "--angle wants a number from 1, got '" + parser.value(o.angle).toStdString() + "'";
        angle = *n;
    }
    const QString drive = QFileInfo(parser.value(o.dvd)).absoluteFilePath();
    int chapter_count = 0;
    int angle_count = 1;
    try {
        const TDvdInfo info(drive.toStdString());
        for (int i = 0; i < info.TitleCount(); ++i)
            if (info.Titles(i)->TitleNumber() == *title) {
                chapter_count = info.Titles(i)->ChapterCount();
                angle_count = std::max(1, info.Titles(i)->AngleCount());
            }
    } catch (const std::exception& e) {
        return std::string(e.what()) + ": " + drive.toStdString();
    }
    if (chapter_count < 1)
        return drive.toStdString() + " has no title " + std::to_string(*title) +
               " (`vconv dvd info` lists them)";
    if (angle > angle_count)
        return "title " + std::to_string(*title) + " has " + std::to_string(angle_count) + " angle(s)";
    int first = 1;
    int last = chapter_count;
    if (parser.isSet(o.chapters)) {
        const QStringList parts = parser.value(o.chapters).split('-');
        const auto a = PositiveNumber(parts.value(0));
        const auto b = parts.size() == 2 ? PositiveNumber(parts.value(1)) : a;
        if (parts.size() > 2 || !a || !b || *a > *b || *b > chapter_count)
            return "--chapters wants A-B within 1-" + std::to_string(chapter_count) + ", got '" +
                   parser.value(o.chapters).toStdString() + "'";
        first = *a;
        last = *b;
    }

    dvd.drive = drive;
    dvd.title = *title;
    dvd.first_chapter = first;
    dvd.last_chapter = last;
    dvd.angle = angle;
    dvd.volume = QString::fromStdString(VolumeLabel(drive.toStdString()));
    try {
        dvd.registration = std::make_unique<TStreamRegistration>(
            std::make_shared<TDvdStream>(drive.toStdString(), *title, angle, first, last));
    } catch (const std::exception& e) {
        return std::string(e.what()) + ": " + drive.toStdString();
    }
    inputs = {QString::fromStdString(dvd.registration->Url())};

    // An output folder gets the disc's name: VOLUME_TITLE with the profile's extension.
    if (outputs.isEmpty())
        outputs = {AVConfiguration().OutputFolder()};
    for (QString& out : outputs) {
        if (!QFileInfo(out).isDir() && !out.endsWith('/'))
            continue;
        if (!parser.isSet(profile_options.profile))
            return "with --dvd and an output folder, give --profile (its extension completes the name) or -o "
                   "FILE";
        const auto catalogue = LoadCatalogue(UserProfilesPath());
        std::string error;
        const TAVProfile* profile = FindProfileByName(*catalogue, parser.value(profile_options.profile),
                                                      parser.value(profile_options.profile_category), &error);
        if (!profile)
            return error;
        QDir().mkpath(out);
        const QString label = dvd.volume.isEmpty() ? QStringLiteral("DVD") : dvd.volume;
        out = QDir(out).filePath(QString::asprintf("%s_%d", label.toUtf8().constData(), *title) +
                                 profile->Extension());
    }
    return {};
}

std::optional<int> RunConvertAsTask(const QCommandLineParser& parser, const ConvertTaskOptions& o,
                                    const ProfileFilterOptions& profile_options, TAVConverter& prepared,
                                    const DvdSource& dvd, ProgressStyle style) {
    if (parser.isSet(o.no_history)) {
        if (parser.isSet(o.category))
            return UsageError("convert",
                              "--category files a task in the history; it does not go with --no-history");
        return std::nullopt;
    }
    const QStringList inputs = prepared.InputFiles();
    const QStringList outputs = prepared.OutputFiles();
    if (inputs.size() != 1 || outputs.size() != 1) {
        if (parser.isSet(o.category))
            return UsageError(
                "convert", "a task converts one INPUT into one OUTPUT; --category does not go with several");
        return std::nullopt;
    }
    int category_id = TPersistentManager::kRootCategoryId;
    if (parser.isSet(o.category)) {
        const auto id = ParseId(parser.value(o.category));
        if (!id)
            return UsageError("convert", "--category wants a category id, got '" +
                                             parser.value(o.category).toStdString() + "'");
        category_id = static_cast<int>(*id);
    }
    try {
        ConsoleView view;
        TaskSession session(view, ConsoleSessionSetup());
        if (!session.Tree().FindCategory(category_id))
            return UsageError("convert", "there is no category " + std::to_string(category_id) +
                                             " (`vconv categories` lists them)");

        TConversionSettings request;
        const QString input = inputs.first();
        if (dvd.registration) {
            request.SetSourceFiles({input});
            request.SetSourceType(TConversionSettings::stDvd);
            request.SetDvdDriver(dvd.drive);
            request.SetDvdTitle(dvd.title);
            request.SetDvdChapter(dvd.first_chapter);
            request.SetDvdThrough(dvd.last_chapter);
            request.SetDvdAngle(dvd.angle);
            request.SetDvdVolume(dvd.volume);
        } else {
            request.SetSourceFiles(
                {input.startsWith("stream:") ? input : QFileInfo(input).absoluteFilePath()});
            request.SetSourceType(TConversionSettings::stFile);
        }
        request.SetTargetFile(QFileInfo(outputs.first()).absoluteFilePath());
        request.SetProfile(parser.value(profile_options.profile));
        request.SetCategoryId(category_id);
        request.SetConvertOptions(prepared.ConvertOptions());

        TAVTask* task = session.NewConversion(request);
        if (style == ProgressStyle::Text)
            std::fprintf(stderr, "Task %lld: %s -> %s\n", static_cast<long long>(task->ID()),
                         input.toLocal8Bit().constData(),
                         task->Settings().TargetFile().toLocal8Bit().constData());
        return FollowTasks(session, {task}, style);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vconv convert: %s\n", e.what());
        return 1;
    }
}

} // namespace vc::cli
