#include "model/settings/conversion_settings.h"

namespace vc {

QString TrimControlAndSpace(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= ' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}

TConversionSettings::TConversionSettings(QObject* parent)
    : TPersistent(parent), convert_options_(std::make_unique<TAVConvertOptions>()) {}

TConversionSettings::~TConversionSettings() = default;

void TConversionSettings::SetTargetFolder(const QString& v) {
    target_folder_ = TrimControlAndSpace(v);
}

void TConversionSettings::SetTargetFile(const QString& v) {
    target_file_ = TrimControlAndSpace(v);
}

void TConversionSettings::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TConversionSettings*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetSourceFiles(s->SourceFiles());
    SetSourceType(s->SourceType());
    SetDvdDriver(s->DvdDriver());
    SetDvdTitle(s->DvdTitle());
    SetDvdChapter(s->DvdChapter());
    SetDvdThrough(s->DvdThrough());
    SetDvdAngle(s->DvdAngle());
    SetDvdVolume(s->DvdVolume());
    SetTargetFolder(s->TargetFolder());
    SetTargetFile(s->TargetFile());
    SetProfile(s->Profile());
    SetCategoryId(s->CategoryId());
    SetConvertOptions(s->ConvertOptions());
    SetDuration(s->Duration());
    SetSourceFileSize(s->SourceFileSize());
}

} // namespace vc
