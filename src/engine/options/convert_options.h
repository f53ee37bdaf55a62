#pragma once
// Every setting of one conversion other than the file names.
#include "engine/options/audio_options.h"
#include "engine/options/filter_options.h"
#include "engine/options/grab_options.h"
#include "engine/options/muxer_options.h"
#include "engine/options/persistent.h"
#include "engine/options/subtitle_options.h"
#include "engine/options/video_options.h"

#include <QString>
#include <QStringList>
#include <climits>
#include <cstdint>
#include <limits>
#include <vector>

namespace vc {

class TAVConvertOptions : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("Default.ThreadCount", "1")
    Q_PROPERTY(vc::TAudioOptions* AudioOptions READ AudioOptions WRITE SetAudioOptions)
    Q_PROPERTY(vc::TSubtitleOptions* SubtitleOptions READ SubtitleOptions WRITE SetSubtitleOptions)
    Q_PROPERTY(vc::TVideoOptions* VideoOptions READ VideoOptions WRITE SetVideoOptions)
    Q_PROPERTY(vc::TMuxerOptions* MuxerOptions READ MuxerOptions WRITE SetMuxerOptions)
    Q_PROPERTY(vc::TGrabOptions* GrabOptions READ GrabOptions WRITE SetGrabOptions)
    Q_PROPERTY(vc::TFilterOptions* FilterOptions READ FilterOptions WRITE SetFilterOptions)
    Q_PROPERTY(QStringList MetaData READ MetaData WRITE SetMetaData)
    Q_PROPERTY(QStringList CodecOptions READ CodecOptions WRITE SetCodecOptions)
    Q_PROPERTY(QString OutputFormat READ OutputFormat WRITE SetOutputFormat)
    Q_PROPERTY(QString InputFormat READ InputFormat WRITE SetInputFormat)
    Q_PROPERTY(qint64 StartTime READ StartTime WRITE SetStartTime)
    Q_PROPERTY(qint64 RecordingTime READ RecordingTime WRITE SetRecordingTime)
    Q_PROPERTY(int ThreadCount READ ThreadCount WRITE SetThreadCount)
    Q_PROPERTY(QStringList StreamMaps READ StreamMaps WRITE SetStreamMaps)

public:
    explicit TAVConvertOptions(QObject* parent = nullptr);
    // Copies the published state; the unpublished members below stay as they are.
    void Assign(const TPersistent* source) override;

    // Appends "name=value", or replaces the value of the first line with that name (names compare
    // without regard to letter case, as in every Name=Value list of the program).
    void SetCodecOption(const QString& name, const QString& value);

    TAudioOptions* AudioOptions() const { return audio_options_; }
    void SetAudioOptions(const TAudioOptions* v) { audio_options_->Assign(v); }
    TSubtitleOptions* SubtitleOptions() const { return subtitle_options_; }
    void SetSubtitleOptions(const TSubtitleOptions* v) { subtitle_options_->Assign(v); }
    TVideoOptions* VideoOptions() const { return video_options_; }
    void SetVideoOptions(const TVideoOptions* v) { video_options_->Assign(v); }
    TMuxerOptions* MuxerOptions() const { return muxer_options_; }
    void SetMuxerOptions(const TMuxerOptions* v) { muxer_options_->Assign(v); }
    TGrabOptions* GrabOptions() const { return grab_options_; }
    void SetGrabOptions(const TGrabOptions* v) { grab_options_->Assign(v); }
    TFilterOptions* FilterOptions() const { return filter_options_; }
    void SetFilterOptions(const TFilterOptions* v) { filter_options_->Assign(v); }
    // Name=Value lines: metadata of the output file.
    QStringList MetaData() const { return meta_data_; }
    void SetMetaData(const QStringList& v) { meta_data_ = v; }
    // Name=Value lines: library options.
    QStringList CodecOptions() const { return codec_options_; }
    void SetCodecOptions(const QStringList& v) { codec_options_ = v; }
    QString OutputFormat() const { return output_format_; }
    void SetOutputFormat(const QString& v) { output_format_ = v; }
    QString InputFormat() const { return input_format_; }
    void SetInputFormat(const QString& v) { input_format_ = v; }
    qint64 StartTime() const { return start_time_; } // microseconds
    void SetStartTime(qint64 v) { start_time_ = v; }
    qint64 RecordingTime() const { return recording_time_; } // microseconds
    void SetRecordingTime(qint64 v) { recording_time_ = v; }
    int ThreadCount() const { return thread_count_; }
    void SetThreadCount(int v) { thread_count_ = v; }
    // "file=stream" lines, one per output stream; empty = automatic mapping.
    QStringList StreamMaps() const { return stream_maps_; }
    void SetStreamMaps(const QStringList& v) { stream_maps_ = v; }

    // Not published and not copied by Assign: read by the engine only.
    float DtsDeltaThreshold = 50.0f; // seconds; a larger input time-stamp jump is a discontinuity
    int ScalerFlags = 4;             // SWS_BICUBIC
    int DataMaxFrames = INT_MAX;
    int64_t AudioBytes = 0; // running totals of encoded bytes (statistics)
    int64_t VideoBytes = 0;

    // Switches that nothing sets; their values keep the features off.
    int ProgramId = -1;                   // -1 = no single program selected
    int LoopInput = 0;                    // 0 = read the input once
    int LoopOutput = -1;                  // -1 = the muxer's default (no looping)
    bool RateEmulation = false;           // read inputs at their native rate
    bool CopyTimeStamps = false;          // keep input time stamps unchanged
    bool QualityMeasures = false;         // encoder PSNR
    int64_t LimitFileSize = 0;            // bytes; 0 = unlimited
    bool Shortest = false;                // end at the shortest stream
    bool CopyInitialNonKeyFrames = false; // copy packets before the first key packet
    int64_t InputTsOffset = 0;            // microseconds added to input time stamps
    std::vector<double> TimeStampScale;   // per input stream; missing entries mean 1.0

private:
    TAudioOptions* audio_options_;
    TSubtitleOptions* subtitle_options_;
    TVideoOptions* video_options_;
    TMuxerOptions* muxer_options_;
    TGrabOptions* grab_options_;
    TFilterOptions* filter_options_;
    QStringList meta_data_;
    QStringList codec_options_;
    QString output_format_;
    QString input_format_;
    qint64 start_time_ = 0;
    qint64 recording_time_ = std::numeric_limits<qint64>::max();
    int thread_count_ = 1;
    QStringList stream_maps_;
};

} // namespace vc
