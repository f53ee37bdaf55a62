#include "engine/options/audio_options.h"

namespace vc {

void TAudioOptions::SetAudioSampleFmt(TAVAudioSampleFormat v) {
    if (v != sfAuto)
        audio_sample_fmt_ = v;
}

void TAudioOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TAudioOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetAudioChannels(s->AudioChannels());
    SetAudioSampleRate(s->AudioSampleRate());
    SetAudioVolume(s->AudioVolume());
    SetAudioSyncMethod(s->AudioSyncMethod());
    SetAudioDisable(s->AudioDisable());
    SetAudioSampleFmt(s->AudioSampleFmt());
    SetAudioStreamCopy(s->AudioStreamCopy());
    SetEncoderAudioCodecName(s->EncoderAudioCodecName());
    SetDecoderAudioCodecName(s->DecoderAudioCodecName());
    SetAudioCodecTag(s->AudioCodecTag());
    SetAudioLanguage(s->AudioLanguage());
    SetAudioQScale(s->AudioQScale());
    SetAudioDriftThreshold(s->AudioDriftThreshold());
    SetBitrate(s->Bitrate());
    SetMaxFrames(s->MaxFrames());
}

} // namespace vc
