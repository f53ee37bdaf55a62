#include "gui/wizards/media_file_filters.h"

#include <QCoreApplication>
#include <QSet>

namespace vc::gui {

namespace {
const char* const kVideo = "*.flv *.wmv *.mp4 *.avi *.mkv *.mpg *.mpeg *.mov *.3gp *.3gpp *.3g2 *.vob *.ts "
                           "*.mts *.mt2s *.asf *.mpeg *.m4v *.swf *.dv";
const char* const kPicture = "*.bmp *.jpg *.gif *.tiff *.png";
const char* const kAudio = "*.wav *.mp3 *.wma *.mp4 *.m4a *.amr *.mka *.mp2 *.ac3";

// Marked for the translation tools; translated where they are shown. The context is written as
// lupdate names the desktop's classes (without the namespace, which i18n/update_ts.sh puts back in
// the .ts file), so the translations survive an update.
const char* const kCaptions[] = {QT_TRANSLATE_NOOP("MediaFileFilters", "Video Files"),
                                 QT_TRANSLATE_NOOP("MediaFileFilters", "Picture Files"),
                                 QT_TRANSLATE_NOOP("MediaFileFilters", "Audio Files"),
                                 QT_TRANSLATE_NOOP("MediaFileFilters", "All Files")};

QString Tr(int caption) {
    return QCoreApplication::translate("vc::gui::MediaFileFilters", kCaptions[caption]);
}
} // namespace

QStringList MediaFileFilters() {
    // Qt's filter form: a caption and the patterns separated by blanks in parentheses.
    return {Tr(0) + QStringLiteral("(%1)").arg(QLatin1String(kVideo)),
            Tr(1) + QStringLiteral("(%1)").arg(QLatin1String(kPicture)),
            Tr(2) + QStringLiteral(" (%1)").arg(QLatin1String(kAudio)), Tr(3) + QStringLiteral("(*)")};
}

QStringList MediaFileExtensions() {
    QStringList extensions;
    for (const char* patterns : {kVideo, kPicture, kAudio})
        for (const QString& pattern : QString::fromLatin1(patterns).split(' ', Qt::SkipEmptyParts))
            if (!extensions.contains(pattern.mid(2)))
                extensions << pattern.mid(2);
    return extensions;
}

} // namespace vc::gui
