#include "engine/options/convert_options.h"

#include "engine/options/string_lists.h"

namespace vc {

TAVConvertOptions::TAVConvertOptions(QObject* parent)
    : TPersistent(parent), audio_options_(new TAudioOptions(this)),
      subtitle_options_(new TSubtitleOptions(this)), video_options_(new TVideoOptions(this)),
      muxer_options_(new TMuxerOptions(this)), grab_options_(new TGrabOptions(this)),
      filter_options_(new TFilterOptions(this)) {}

void TAVConvertOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TAVConvertOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetAudioOptions(s->AudioOptions());
    SetSubtitleOptions(s->SubtitleOptions());
    SetVideoOptions(s->VideoOptions());
    SetMuxerOptions(s->MuxerOptions());
    SetGrabOptions(s->GrabOptions());
    SetFilterOptions(s->FilterOptions());
    SetMetaData(s->MetaData());
    SetCodecOptions(s->CodecOptions());
    SetInputFormat(s->InputFormat());
    SetOutputFormat(s->OutputFormat());
    SetStartTime(s->StartTime());
    SetRecordingTime(s->RecordingTime());
    SetThreadCount(s->ThreadCount());
    SetStreamMaps(s->StreamMaps());
}

void TAVConvertOptions::SetCodecOption(const QString& name, const QString& value) {
    const int index = IndexOfName(codec_options_, name);
    if (index < 0)
        codec_options_.append(name + QLatin1Char('=') + value);
    else
        codec_options_[index] = SplitNameValue(codec_options_[index]).name + QLatin1Char('=') + value;
}

} // namespace vc
