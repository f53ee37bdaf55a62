#pragma once
// The options of `vconv convert` that work like the wizards: a profile from the catalogue and the
// video filters (logo, overlay text, hard subtitles, flips, rotation, a box).
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <string>

namespace vc {
class TAVConvertOptions;
class TAVProfile;
class TAVProfileList;
} // namespace vc

namespace vc::cli {

struct ProfileFilterOptions {
    QCommandLineOption profile{
        "profile",
        "Convert with the catalogue profile DESCRIPTION (see `vconv profiles`). "
        "When OUTPUT is a folder, the file is named after INPUT with the profile's extension.",
        "DESCRIPTION"};
    QCommandLineOption profile_category{"profile-category",
                                        "The category of --profile, for a description that "
                                        "several categories hold.",
                                        "NAME"};
    QCommandLineOption logo{"logo", "Overlay the image FILE (a logo).", "FILE"};
    QCommandLineOption logo_pos{"logo-pos", "Top-left corner of the logo, in pixels (default 0,0).", "X,Y"};
    QCommandLineOption text{"text", "Draw TEXT on the picture (\\n for a line break).", "TEXT"};
    QCommandLineOption font{"font", "Font file for --text.", "FILE"};
    QCommandLineOption font_size{"font-size", "Font size for --text (default 24).", "N"};
    QCommandLineOption font_color{
        "font-color", "Colour of --text: RRGGBB, #RRGGBB, 0xRRGGBB or a basic name (default white).",
        "COLOR"};
    QCommandLineOption text_pos{"text-pos", "Position of --text, in pixels (default 10,10).", "X,Y"};
    QCommandLineOption subtitles{
        "subtitles", "Burn the subtitles of FILE (.srt, .ass, .ssa, .txt) into the picture.", "FILE"};
    QCommandLineOption subtitle_font{"subtitle-font", "Font file for --subtitles.", "FILE"};
    QCommandLineOption subtitle_color{"subtitle-color",
                                      "Colour of the subtitles (as --font-color; default white).", "COLOR"};
    QCommandLineOption codepage{"codepage", "Character set of the subtitle file (e.g. GBK, cp1252).", "NAME"};
    QCommandLineOption vflip{"vflip", "Flip the picture upside down."};
    QCommandLineOption hflip{"hflip", "Mirror the picture left to right."};
    QCommandLineOption rotate{"rotate", "Rotate the picture by DEGREES (0 to 359).", "DEGREES"};
    QCommandLineOption drawbox{"drawbox",
                               "Draw a box; COLORNAME as the colour list names it (Red, Navy, ...).",
                               "X,Y,W,H,COLORNAME"};

    QList<QCommandLineOption> All() const;
};

// The catalogue profile a user means by `wanted`: descriptions match without regard to surrounding
// blanks and letter case (the catalogue keeps its exact texts), within `category` when one is given.
// Nothing, with `error` set, when no profile matches or profiles of several categories do.
const TAVProfile* FindProfileByName(const TAVProfileList& catalogue, const QString& wanted,
                                    const QString& category, std::string* error);

// OUTPUT as a profile completes it: a name that ends in '/' (made when missing) or names an
// existing folder becomes INPUT's name with `extension` in that folder; a file name without an
// extension gets `extension`. Returns an error text, or an empty string.
std::string ResolveOutputName(QString& out, const QString& input, const QString& extension);

struct ChosenProfile {
    QString description;
    QString extension;
};

// Prepares `options` as the wizards' finishing does when --profile or a filter option is given:
// the filter string, an empty input format, the thread count of the configuration (or the
// processor count), then the profile's Apply. With --profile, each output goes through
// ResolveOutputName, and an image profile's output becomes the numbered pattern of that name; the
// profile found is described in `chosen` when given. Returns an error text for the user, or an
// empty string.
std::string ApplyProfileAndFilters(const QCommandLineParser& parser, const ProfileFilterOptions& o,
                                   const QStringList& inputs, QStringList& outputs,
                                   TAVConvertOptions* options, ChosenProfile* chosen = nullptr);

} // namespace vc::cli
