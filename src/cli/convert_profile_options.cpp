#include "cli/convert_profile_options.h"

#include "engine/media/format_helpers.h"
#include "engine/options/convert_options.h"
#include "engine/options/option_bounds.h"
#include "model/filters/video_filters.h"
#include "model/profiles/image_sequence.h"
#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"
#include "model/profiles/user_profiles.h"
#include "model/settings/configuration.h"
#include "model/settings/thread_counts.h"
#include "platform/error.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace vc::cli {
namespace {

// "X,Y" (or more numbers) into integers.
std::optional<std::vector<int>> Numbers(const QString& text, int count) {
    const QStringList parts = text.split(',');
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int> values;
    for (const QString& part : parts) {
        bool ok = false;
        values.push_back(part.trimmed().toInt(&ok));
        if (!ok)
            return std::nullopt;
    }
    return values;
}

// A colour as TColor (0x00BBGGRR).
std::optional<TColor> Color(const QString& text) {
    static const std::pair<const char*, quint32> kNames[] = {
        {"white", 0xFFFFFF}, {"black", 0x000000},  {"red", 0xFF0000},  {"green", 0x00FF00},
        {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"cyan", 0x00FFFF}, {"magenta", 0xFF00FF},
        {"gray", 0x808080},  {"navy", 0x000080}};
    QString t = text.trimmed().toLower();
    for (const auto& [name, rgb] : kNames)
        if (t == QLatin1String(name))
            return SwapRedBlue(rgb);
    if (t.startsWith('#'))
        t = t.mid(1);
    else if (t.startsWith("0x"))
        t = t.mid(2);
    bool ok = false;
    const quint32 rgb = t.toUInt(&ok, 16);
    if (!ok || t.size() != 6)
        return std::nullopt;
    return SwapRedBlue(rgb);
}

int ConfiguredThreadCount() {
    int threads = 0;
    if (QFileInfo::exists(TAVConfiguration::GetConfigFile())) {
        AVConfiguration().LoadAtStartup();
        threads = AVConfiguration().PerformanceOptions()->ThreadCount();
    }
    return ConversionThreadCount(threads);
}

} // namespace

const TAVProfile* FindProfileByName(const TAVProfileList& catalogue, const QString& wanted,
                                    const QString& category, std::string* error) {
    const QString name = wanted.trimmed();
    std::vector<const TAVProfile*> found;
    QStringList categories;
    for (int i = 0; i < catalogue.Count(); ++i) {
        const TAVProfile* p = catalogue.Profiles(i);
        if (p->Description().trimmed().compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (!category.isEmpty() &&
            p->Category().trimmed().compare(category.trimmed(), Qt::CaseInsensitive) != 0)
            continue;
        found.push_back(p);
        if (!categories.contains(p->Category()))
            categories << p->Category();
    }
    if (found.empty()) {
        *error = "no profile named '" + wanted.toStdString() + "'" +
                 (category.isEmpty() ? "" : " in '" + category.toStdString() + "'") +
                 " (`vconv profiles` lists them)";
        return nullptr;
    }
    if (categories.size() > 1) {
        *error = "'" + wanted.toStdString() + "' names profiles in several categories (" +
                 categories.join(", ").toStdString() + "); give --profile-category NAME";
        return nullptr;
    }
    // Within one category the description the user typed exactly comes first.
    for (const TAVProfile* p : found)
        if (p->Description() == wanted)
            return p;
    return found.front();
}

std::string ResolveOutputName(QString& out, const QString& input, const QString& extension) {
    const bool folder_named = out.endsWith('/');
    if (folder_named && !QDir().mkpath(out))
        return "cannot create the output folder '" + out.toStdString() + "'";
    if (folder_named || QFileInfo(out).isDir()) {
        if (input.isEmpty())
            return "OUTPUT '" + out.toStdString() + "' is a folder; give a file name";
        out = QDir(out).filePath(QFileInfo(input).completeBaseName() + extension);
    } else if (QFileInfo(out).suffix().isEmpty()) {
        out += extension;
    }
    return {};
}

QList<QCommandLineOption> ProfileFilterOptions::All() const {
    return {profile,    profile_category, logo,      logo_pos,      text,           font,     font_size,
            font_color, text_pos,         subtitles, subtitle_font, subtitle_color, codepage, vflip,
            hflip,      rotate,           drawbox};
}

std::string ApplyProfileAndFilters(const QCommandLineParser& parser, const ProfileFilterOptions& o,
                                   const QStringList& inputs, QStringList& outputs,
                                   TAVConvertOptions* options, ChosenProfile* chosen) {
    // The filters, top to bottom as a wizard's list would hold them.
    std::vector<std::unique_ptr<TAVFilter>> filters;
    if (parser.isSet(o.logo)) {
        auto logo = std::make_unique<TLogoFilter>();
        logo->SetLogoFile(QFileInfo(parser.value(o.logo)).absoluteFilePath());
        if (parser.isSet(o.logo_pos)) {
            const auto xy = Numbers(parser.value(o.logo_pos), 2);
            if (!xy)
                return "--logo-pos wants X,Y, got '" + parser.value(o.logo_pos).toStdString() + "'";
            logo->SetX((*xy)[0]);
            logo->SetY((*xy)[1]);
        }
        filters.push_back(std::move(logo));
    } else if (parser.isSet(o.logo_pos)) {
        return "--logo-pos needs --logo";
    }
    if (parser.isSet(o.text)) {
        if (!parser.isSet(o.font))
            return "--text needs --font FILE (a TrueType or OpenType font file)";
        auto text = std::make_unique<TOverlayTextFilter>();
        QString typed = parser.value(o.text);
        text->SetText(typed.replace(QLatin1String("\\n"), QLatin1String("\r\n")));
        text->SetFontFile(QFileInfo(parser.value(o.font)).absoluteFilePath());
        text->SetFontSize(24);
        if (parser.isSet(o.font_size)) {
            bool ok = false;
            text->SetFontSize(parser.value(o.font_size).toInt(&ok));
            if (!ok || text->FontSize() <= 0)
                return "--font-size wants a positive number, got '" +
                       parser.value(o.font_size).toStdString() + "'";
        }
        text->SetFontColor(0xFFFFFF);
        if (parser.isSet(o.font_color)) {
            const auto color = Color(parser.value(o.font_color));
            if (!color)
                return "--font-color wants RRGGBB or a colour name, got '" +
                       parser.value(o.font_color).toStdString() + "'";
            text->SetFontColor(*color);
        }
        text->SetX(10);
        text->SetY(10);
        if (parser.isSet(o.text_pos)) {
            const auto xy = Numbers(parser.value(o.text_pos), 2);
            if (!xy)
                return "--text-pos wants X,Y, got '" + parser.value(o.text_pos).toStdString() + "'";
            text->SetX((*xy)[0]);
            text->SetY((*xy)[1]);
        }
        filters.push_back(std::move(text));
    }
    if (parser.isSet(o.subtitles)) {
        auto sub = std::make_unique<TSubtitleFilter>();
        sub->SetSubtitleFile(QFileInfo(parser.value(o.subtitles)).absoluteFilePath());
        if (parser.isSet(o.subtitle_font))
            sub->SetFontFile(QFileInfo(parser.value(o.subtitle_font)).absoluteFilePath());
        sub->SetFontColor(0xFFFFFF);
        if (parser.isSet(o.subtitle_color)) {
            const auto color = Color(parser.value(o.subtitle_color));
            if (!color)
                return "--subtitle-color wants RRGGBB or a colour name, got '" +
                       parser.value(o.subtitle_color).toStdString() + "'";
            sub->SetFontColor(*color);
        }
        sub->SetCodePage(parser.value(o.codepage));
        filters.push_back(std::move(sub));
    }
    if (parser.isSet(o.vflip) || parser.isSet(o.hflip) || parser.isSet(o.rotate) || parser.isSet(o.drawbox)) {
        auto std_filter = std::make_unique<TVideoStdFilter>();
        std_filter->SetVerticalFilp(parser.isSet(o.vflip));
        std_filter->SetHorizontalFilip(parser.isSet(o.hflip));
        if (parser.isSet(o.rotate)) {
            bool ok = false;
            const int degrees = parser.value(o.rotate).toInt(&ok);
            if (!ok || degrees < 0 || degrees > 359)
                return "--rotate wants degrees from 0 to 359, got '" + parser.value(o.rotate).toStdString() +
                       "'";
            std_filter->SetRotate(true);
            std_filter->SetDegree(degrees);
        }
        if (parser.isSet(o.drawbox)) {
            const QStringList parts = parser.value(o.drawbox).split(',');
            const auto box = parts.size() == 5 ? Numbers(parts.mid(0, 4).join(','), 4) : std::nullopt;
            if (!box || parts[4].trimmed().isEmpty())
                return "--drawbox wants X,Y,W,H,COLORNAME, got '" + parser.value(o.drawbox).toStdString() +
                       "'";
            std_filter->SetDrawBox(true);
            std_filter->SetBX((*box)[0]);
            std_filter->SetBY((*box)[1]);
            std_filter->SetBWidth((*box)[2]);
            std_filter->SetBHeight((*box)[3]);
            std_filter->SetBColor(parts[4].trimmed());
        }
        filters.push_back(std::move(std_filter));
    }
    if (!filters.empty()) {
        QList<const TAVFilter*> list;
        for (const auto& f : filters)
            list << f.get();
        options->FilterOptions()->SetVideoFilters(BuildVideoFilters(list));
    }
    if (!parser.isSet(o.profile))
        return parser.isSet(o.profile_category) ? "--profile-category needs --profile" : std::string();

    std::unique_ptr<TAVProfileList> catalogue;
    try {
        catalogue = LoadCatalogue(UserProfilesPath());
    } catch (const Error& e) {
        std::fprintf(stderr, "vconv: %s; using the built-in profiles\n", e.what());
        catalogue = LoadCatalogue(QString());
    }
    std::string error;
    TAVProfile* profile = const_cast<TAVProfile*>(
        FindProfileByName(*catalogue, parser.value(o.profile), parser.value(o.profile_category), &error));
    if (profile == nullptr)
        return error;
    if (chosen) {
        chosen->description = profile->Description();
        chosen->extension = profile->Extension();
    }
    options->SetInputFormat(QString());
    options->SetThreadCount(ConfiguredThreadCount());
    profile->Apply(options);

    PrepareImageSequenceOptions(*profile, options);
    for (QString& out : outputs) {
        if (std::string problem = ResolveOutputName(out, inputs.value(0), profile->Extension());
            !problem.empty())
            return problem;
        // "clip1.jpg" names the first picture of the sequence the muxer numbers.
        out = ImageSequenceOutputName(out, options);
    }
    return {};
}

} // namespace vc::cli
