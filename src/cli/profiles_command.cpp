// vconv profiles: lists the catalogue's categories and profiles, shows what a profile writes into
// the conversion options, and saves the editable profiles to Profiles.ini.
#include "cli/commands.h"

#include "engine/options/convert_options.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_tables.h"
#include "model/profiles/target_profiles.h"
#include "model/profiles/user_profiles.h"
#include "platform/error.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QMetaProperty>
#include <cstdio>
#include <memory>

namespace vc::cli {
namespace {

constexpr const char* kUsage =
    "Usage: vconv profiles [--category NAME] [--details]\n"
    "       vconv profiles --names\n"
    "       vconv profiles --show DESCRIPTION [--category NAME]\n"
    "       vconv profiles save [--file PATH]\n"
    "\n"
    "Without options, lists the categories of the profile catalogue with the number of profiles\n"
    "in each. The catalogue is the built-in table, with the editable profiles replaced by those of\n"
    "Profiles.ini in the application-data folder when that file exists.\n"
    "\n"
    "Options:\n"
    "  --category NAME     list the profiles of a category, in catalogue order (letter case does\n"
    "                      not matter)\n"
    "  --details           with each listed profile, its recipe\n"
    "  --names             every profile's description, one a line, in catalogue order (for\n"
    "                      scripts and shell completion)\n"
    "  --show DESCRIPTION  print the conversion options the profile writes (the options that\n"
    "                      differ from fresh ones); a description is matched exactly first, then\n"
    "                      without surrounding blanks and letter case\n"
    "  --file PATH         with save: the file to write instead of Profiles.ini\n"
    "  -h, --help          show this help\n"
    "\n"
    "save writes every editable profile of the catalogue to Profiles.ini (numbered from 0, keys of a\n"
    "longer earlier save are left in place), which the catalogue then loads at every start.\n";

QString Recipe(const TAVProfile& p) {
    if (const auto* v = qobject_cast<const TAVCustomVideoProfile*>(&p))
        return QStringLiteral(
                   "video %1 %2x%3 %4 fps %5 kbit/s; audio %6 %7 Hz %8 %9 kbit/s; container %10%11")
            .arg(v->VideoEncoderName())
            .arg(v->FrameWidth())
            .arg(v->FrameHeight())
            .arg(QString::fromLatin1(FrameRateNames[v->FrameRate()]))
            .arg(v->VideoBitrate())
            .arg(v->AudioEncoderName())
            .arg(v->SampleRate())
            .arg(QString::fromLatin1(ChannelNames[v->AudioChannels()]))
            .arg(v->AudioBitrate())
            .arg(QString::fromLatin1(FormatNames[v->Format()]))
            .arg(v->Options().isEmpty() ? QString() : "; options " + v->Options().join(' '));
    if (const auto* a = qobject_cast<const TAVCustomAudioProfile*>(&p))
        return QStringLiteral("audio %1 %2 Hz %3 %4 kbit/s; container %5%6")
            .arg(a->AudioEncoderName())
            .arg(a->SampleRate())
            .arg(QString::fromLatin1(ChannelNames[a->AudioChannels()]))
            .arg(a->AudioBitrate())
            .arg(QString::fromLatin1(FormatNames[a->Format()]))
            .arg(a->Options().isEmpty() ? QString() : "; options " + a->Options().join(' '));
    if (const auto* t = qobject_cast<const TAVTargetProfile*>(&p)) {
        static const char* kTargets[] = {"PAL", "NTSC", "film"};
        return QStringLiteral("%1 %2").arg(TPersistent::ClassNameOf(t).mid(3).chopped(7),
                                           kTargets[t->Target()]);
    }
    if (qobject_cast<const TAVImageProfile*>(&p) != nullptr)
        return QStringLiteral("numbered image sequence");
    return QString();
}

QString ValueText(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(',');
    if (value.metaType().id() == QMetaType::Float)
        return QString::number(value.toFloat()); // 1.33333, not the double expansion of the float
    return value.toString();
}

// Prints "path=value" for every published property of `now` that differs from `fresh`.
void PrintDifferences(const QObject& fresh, const QObject& now, const QString& prefix) {
    const QMetaObject* meta = now.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty prop = meta->property(i);
        const QVariant a = prop.read(&fresh);
        const QVariant b = prop.read(&now);
        if (const QObject* child = b.value<QObject*>()) {
            PrintDifferences(*a.value<QObject*>(), *child, prefix + prop.name() + '.');
            continue;
        }
        if (a != b) {
            QString text = ValueText(b);
            if (prop.isEnumType())
                text = QString::fromLatin1(prop.enumerator().valueToKey(b.toInt()));
            std::printf("%s%s=%s\n", qPrintable(prefix), prop.name(), qPrintable(text));
        }
    }
}

void ShowProfile(TAVProfile& profile) {
    std::printf("%s [%s] %s, %s\n", qPrintable(profile.Description()), qPrintable(profile.Category()),
                qPrintable(TPersistent::ClassNameOf(&profile)), qPrintable(profile.Extension()));
    const TAVConvertOptions fresh;
    TAVConvertOptions options;
    profile.Apply(&options);
    PrintDifferences(fresh, options, QString());
    if (options.VideoOptions()->PixelFormat != fresh.VideoOptions()->PixelFormat)
        std::printf("VideoOptions.PixelFormat=%d\n", options.VideoOptions()->PixelFormat);
}

} // namespace

int RunProfilesCommand(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({"h", "help"}, "show this help");
    const QCommandLineOption category("category", "category", "NAME");
    const QCommandLineOption details("details", "details");
    const QCommandLineOption show("show", "show", "DESCRIPTION");
    const QCommandLineOption file("file", "file", "PATH");
    const QCommandLineOption names("names", "names");
    parser.addOptions({help, category, details, show, file, names});
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!parser.parse(args)) {
        std::fprintf(stderr, "vconv profiles: %s\n\n%s", qPrintable(parser.errorText()), kUsage);
        return 2;
    }
    if (parser.isSet(help)) {
        std::printf("%s", kUsage);
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    const bool save = positional.size() == 1 && positional[0] == "save";
    if ((!positional.isEmpty() && !save) || (save && (parser.isSet(show) || parser.isSet(category))) ||
        (parser.isSet(file) && !save) ||
        (parser.isSet(names) &&
         (save || parser.isSet(show) || parser.isSet(category) || parser.isSet(details)))) {
        std::fprintf(stderr, "vconv profiles: unexpected arguments\n\n%s", kUsage);
        return 2;
    }

    std::unique_ptr<TAVProfileList> catalogue;
    const QString user_file = UserProfilesPath();
    try {
        catalogue = LoadCatalogue(user_file);
    } catch (const Error& e) {
        std::fprintf(stderr, "vconv profiles: %s; using the built-in profiles\n", e.what());
        catalogue = LoadCatalogue(QString());
    }

    if (save) {
        const QString path = parser.isSet(file) ? parser.value(file) : user_file;
        if (!parser.isSet(file))
            QDir().mkpath(QFileInfo(path).absolutePath()); // first save on this machine
        try {
            SaveUserProfiles(*catalogue, path);
        } catch (const Error& e) {
            std::fprintf(stderr, "vconv profiles: %s\n", e.what());
            return 1;
        }
        std::printf("Saved the editable profiles to %s\n", qPrintable(path));
        return 0;
    }

    QString category_name;
    if (parser.isSet(category)) {
        category_name = catalogue->FindCategory(parser.value(category));
        if (category_name.isEmpty()) {
            std::fprintf(stderr, "vconv profiles: no category named '%s'; the categories are: %s\n",
                         qPrintable(parser.value(category)), qPrintable(catalogue->Categories().join(", ")));
            return 1;
        }
    }

    if (parser.isSet(show)) {
        const QString wanted = parser.value(show);
        std::vector<TAVProfile*> matches;
        for (int pass = 0; pass < 2 && matches.empty(); ++pass)
            for (int i = 0; i < catalogue->Count(); ++i) {
                TAVProfile* p = catalogue->Profiles(i);
                const bool same = pass == 0 ? p->Description() == wanted
                                            : p->Description().trimmed().compare(wanted.trimmed(),
                                                                                 Qt::CaseInsensitive) == 0;
                const bool in_category =
                    category_name.isEmpty() || p->Category().compare(category_name, Qt::CaseInsensitive) == 0;
                if (same && in_category)
                    matches.push_back(p);
            }
        if (matches.empty()) {
            std::fprintf(
                stderr,
                "vconv profiles: no profile named '%s' (`vconv profiles --category NAME` lists them)\n",
                qPrintable(wanted));
            return 1;
        }
        for (size_t i = 0; i < matches.size(); ++i) {
            if (i > 0)
                std::printf("\n");
            ShowProfile(*matches[i]);
        }
        return 0;
    }

    if (parser.isSet(names)) {
        QStringList seen;
        for (int i = 0; i < catalogue->Count(); ++i)
            if (const QString d = catalogue->Profiles(i)->Description(); !seen.contains(d)) {
                seen << d;
                std::printf("%s\n", qPrintable(d));
            }
        return 0;
    }
    if (category_name.isEmpty()) {
        for (const QString& c : catalogue->Categories())
            std::printf("%s %zu\n", qPrintable(c.leftJustified(16)), catalogue->ProfilesInCategory(c).size());
        return 0;
    }
    for (TAVProfile* p : catalogue->ProfilesInCategory(category_name)) {
        if (parser.isSet(details))
            std::printf("%s\t%s\t%s\n", qPrintable(p->Description()), qPrintable(p->Extension()),
                        qPrintable(Recipe(*p)));
        else
            std::printf("%s\n", qPrintable(p->Description()));
    }
    return 0;
}

} // namespace vc::cli
