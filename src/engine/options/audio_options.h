#pragma once
// What a conversion does with audio.
#include "engine/options/persistent.h"

#include <QString>
#include <climits>

namespace vc {

class TAudioOptions : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("Default.MaxFrames", "2147483647")
    Q_PROPERTY(int AudioChannels READ AudioChannels WRITE SetAudioChannels)
    Q_PROPERTY(int AudioSampleRate READ AudioSampleRate WRITE SetAudioSampleRate)
    Q_PROPERTY(int AudioVolume READ AudioVolume WRITE SetAudioVolume)
    Q_PROPERTY(int AudioSyncMethod READ AudioSyncMethod WRITE SetAudioSyncMethod)
    Q_PROPERTY(bool AudioDisable READ AudioDisable WRITE SetAudioDisable)
    Q_PROPERTY(TAVAudioSampleFormat AudioSampleFmt READ AudioSampleFmt WRITE SetAudioSampleFmt)
    Q_PROPERTY(bool AudioStreamCopy READ AudioStreamCopy WRITE SetAudioStreamCopy)
    Q_PROPERTY(QString EncoderAudioCodecName READ EncoderAudioCodecName WRITE SetEncoderAudioCodecName)
    Q_PROPERTY(QString DecoderAudioCodecName READ DecoderAudioCodecName WRITE SetDecoderAudioCodecName)
    Q_PROPERTY(int AudioCodecTag READ AudioCodecTag WRITE SetAudioCodecTag)
    Q_PROPERTY(QString AudioLanguage READ AudioLanguage WRITE SetAudioLanguage)
    Q_PROPERTY(float AudioQScale READ AudioQScale WRITE SetAudioQScale)
    Q_PROPERTY(float AudioDriftThreshold READ AudioDriftThreshold WRITE SetAudioDriftThreshold)
    Q_PROPERTY(int Bitrate READ Bitrate WRITE SetBitrate)
    Q_PROPERTY(int MaxFrames READ MaxFrames WRITE SetMaxFrames)

public:
    // Output sample format; the library's AVSampleFormat is the value minus one (sfAuto = none).
    enum TAVAudioSampleFormat { sfAuto, sfU8, sfS16, sfS32, sfFLT, sfDBL };
    Q_ENUM(TAVAudioSampleFormat)

    // AudioQScale when no fixed quality is set.
    static constexpr float kNoQScale = -99999.0f;

    explicit TAudioOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override;

    int AudioChannels() const { return audio_channels_; }
    void SetAudioChannels(int v) { audio_channels_ = v; }
    int AudioSampleRate() const { return audio_sample_rate_; }
    void SetAudioSampleRate(int v) { audio_sample_rate_ = v; }
    int AudioVolume() const { return audio_volume_; }
    void SetAudioVolume(int v) { audio_volume_ = v; }
    int AudioSyncMethod() const { return audio_sync_method_; }
    void SetAudioSyncMethod(int v) { audio_sync_method_ = v; }
    bool AudioDisable() const { return audio_disable_; }
    void SetAudioDisable(bool v) { audio_disable_ = v; }
    TAVAudioSampleFormat AudioSampleFmt() const { return audio_sample_fmt_; }
    // sfAuto is ignored: once a format is chosen, only another concrete format replaces it.
    void SetAudioSampleFmt(TAVAudioSampleFormat v);
    bool AudioStreamCopy() const { return audio_stream_copy_; }
    void SetAudioStreamCopy(bool v) { audio_stream_copy_ = v; }
    QString EncoderAudioCodecName() const { return encoder_audio_codec_name_; }
    void SetEncoderAudioCodecName(const QString& v) { encoder_audio_codec_name_ = v; }
    QString DecoderAudioCodecName() const { return decoder_audio_codec_name_; }
    void SetDecoderAudioCodecName(const QString& v) { decoder_audio_codec_name_ = v; }
    int AudioCodecTag() const { return audio_codec_tag_; }
    void SetAudioCodecTag(int v) { audio_codec_tag_ = v; }
    QString AudioLanguage() const { return audio_language_; }
    void SetAudioLanguage(const QString& v) { audio_language_ = v; }
    float AudioQScale() const { return audio_qscale_; }
    void SetAudioQScale(float v) { audio_qscale_ = v; }
    float AudioDriftThreshold() const { return audio_drift_threshold_; }
    void SetAudioDriftThreshold(float v) { audio_drift_threshold_ = v; }
    int Bitrate() const { return bitrate_; }
    void SetBitrate(int v) { bitrate_ = v; }
    int MaxFrames() const { return max_frames_; }
    void SetMaxFrames(int v) { max_frames_ = v; }

private:
    int audio_channels_ = 0;
    int audio_sample_rate_ = 0;
    int audio_volume_ = 256;
    int audio_sync_method_ = 0;
    bool audio_disable_ = false;
    TAVAudioSampleFormat audio_sample_fmt_ = sfAuto;
    bool audio_stream_copy_ = false;
    QString encoder_audio_codec_name_;
    QString decoder_audio_codec_name_;
    int audio_codec_tag_ = 0;
    QString audio_language_;
    float audio_qscale_ = kNoQScale;
    float audio_drift_threshold_ = 0.1f;
    int bitrate_ = 0;
    int max_frames_ = INT_MAX;
};

using TAVAudioSampleFormat = TAudioOptions::TAVAudioSampleFormat;

} // namespace vc
