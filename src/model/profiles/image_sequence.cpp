#include "model/profiles/image_sequence.h"

#include "engine/options/convert_options.h"
#include "model/profiles/target_profiles.h"

namespace vc {

namespace {
const QString kImageMuxer = QStringLiteral("image2");
} // namespace

void PrepareImageSequenceOptions(const TAVProfile& profile, TAVConvertOptions* options) {
    if (qobject_cast<const TAVImageProfile*>(&profile) == nullptr)
        return;
    options->SetOutputFormat(kImageMuxer);
    if (profile.Extension().endsWith(QLatin1String(".gif"), Qt::CaseInsensitive))
        options->VideoOptions()->SetEncoderVideoCodecName(QStringLiteral("gif"));
}

bool WritesImageSequence(const TAVConvertOptions& options) {
    return options.OutputFormat() == kImageMuxer;
}

QString ImageSequenceOutputName(const QString& target, TAVConvertOptions* options) {
    if (!WritesImageSequence(*options))
        return target;
    int first = 1;
    const QString pattern = ImageSequencePattern(target, &first);
    if (pattern != target && first != 1)
        options->SetCodecOption(QStringLiteral("start_number"), QString::number(first));
    return pattern;
}

} // namespace vc
