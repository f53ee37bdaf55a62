#pragma once
// Settings of the output container: interleaving delays and bitstream filters.
#include "engine/options/persistent.h"

#include <QStringList>

namespace vc {

class TMuxerOptions : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(float MuxPreload READ MuxPreload WRITE SetMuxPreload)
    Q_PROPERTY(float MuxMaxDelay READ MuxMaxDelay WRITE SetMuxMaxDelay)
    Q_PROPERTY(QStringList AudioBitstreamFilters READ AudioBitstreamFilters WRITE SetAudioBitstreamFilters)
    Q_PROPERTY(
        QStringList SubtitleBitstreamFilters READ SubtitleBitstreamFilters WRITE SetSubtitleBitstreamFilters)
    Q_PROPERTY(QStringList VideoBitstreamFilters READ VideoBitstreamFilters WRITE SetVideoBitstreamFilters)

public:
    explicit TMuxerOptions(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override;

    float MuxPreload() const { return mux_preload_; } // seconds
    void SetMuxPreload(float v) { mux_preload_ = v; }
    float MuxMaxDelay() const { return mux_max_delay_; } // seconds
    void SetMuxMaxDelay(float v) { mux_max_delay_ = v; }
    // One filter name per line, applied in list order.
    QStringList AudioBitstreamFilters() const { return audio_bitstream_filters_; }
    void SetAudioBitstreamFilters(const QStringList& v) { audio_bitstream_filters_ = v; }
    QStringList SubtitleBitstreamFilters() const { return subtitle_bitstream_filters_; }
    void SetSubtitleBitstreamFilters(const QStringList& v) { subtitle_bitstream_filters_ = v; }
    QStringList VideoBitstreamFilters() const { return video_bitstream_filters_; }
    void SetVideoBitstreamFilters(const QStringList& v) { video_bitstream_filters_ = v; }

private:
    float mux_preload_ = 0.5f;
    float mux_max_delay_ = 0.7f;
    QStringList audio_bitstream_filters_;
    QStringList subtitle_bitstream_filters_;
    QStringList video_bitstream_filters_;
};

inline void TMuxerOptions::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TMuxerOptions*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetMuxPreload(s->MuxPreload());
    SetMuxMaxDelay(s->MuxMaxDelay());
    SetAudioBitstreamFilters(s->AudioBitstreamFilters());
    SetSubtitleBitstreamFilters(s->SubtitleBitstreamFilters());
    SetVideoBitstreamFilters(s->VideoBitstreamFilters());
}

} // namespace vc
