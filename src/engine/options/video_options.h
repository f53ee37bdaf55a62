#pragma once
// What a conversion does with video, and the frame-rate fraction it uses.
#include "engine/options/persistent.h"

#include <QString>
#include <QStringList>
#include <array>
#include <climits>
#include <cstdint>

namespace vc {

// A fraction stored as two published integers. New objects are 0/0 ("as input"); the declared
// defaults 25/1 only decide what is written when storing.
class TRational : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("Default.num", "25")
    Q_CLASSINFO("Default.den", "1")
    Q_PROPERTY(int num READ num WRITE SetNum)
    Q_PROPERTY(int den READ den WRITE SetDen)

public:
    explicit TRational(QObject* parent = nullptr) : TPersistent(parent) {}
    void Assign(const TPersistent* source) override;

    int num() const { return num_; }
    void SetNum(int v) { num_ = v; }
    int den() const { return den_; }
    void SetDen(int v) { den_ = v; }

private:
    int num_ = 0;
    int den_ = 0;
};

class TVideoOptions : public TPersistent {
    Q_OBJECT
    Q_CLASSINFO("Default.IntraDcPrecision", "8")
    Q_PROPERTY(int FrameWidth READ FrameWidth WRITE SetFrameWidth)
    Q_PROPERTY(int FrameHeight READ FrameHeight WRITE SetFrameHeight)
    Q_PROPERTY(QString EncoderVideoCodecName READ EncoderVideoCodecName WRITE SetEncoderVideoCodecName)
    Q_PROPERTY(QString DecoderVideoCodecName READ DecoderVideoCodecName WRITE SetDecoderVideoCodecName)
    Q_PROPERTY(bool VideoDisable READ VideoDisable WRITE SetVideoDisable)
    Q_PROPERTY(bool VideoStreamCopy READ VideoStreamCopy WRITE SetVideoStreamCopy)
    Q_PROPERTY(int VideoCodecTag READ VideoCodecTag WRITE SetVideoCodecTag)
    Q_PROPERTY(QString VideoLanguage READ VideoLanguage WRITE SetVideoLanguage)
    Q_PROPERTY(bool IntraOnly READ IntraOnly WRITE SetIntraOnly)
    Q_PROPERTY(float VideoQscale READ VideoQscale WRITE SetVideoQscale)
    Q_PROPERTY(bool SameQuality READ SameQuality WRITE SetSameQuality)
    Q_PROPERTY(QString VideoRcOverrideString READ VideoRcOverrideString WRITE SetVideoRcOverrideString)
    Q_PROPERTY(int IntraDcPrecision READ IntraDcPrecision WRITE SetIntraDcPrecision)
    Q_PROPERTY(int VideoSyncMethod READ VideoSyncMethod WRITE SetVideoSyncMethod)
    Q_PROPERTY(int TopFieldFirst READ TopFieldFirst WRITE SetTopFieldFirst)
    Q_PROPERTY(bool ForceFPS READ ForceFPS WRITE SetForceFPS)
    Q_PROPERTY(QStringList IntraMatrix READ IntraMatrix WRITE SetIntraMatrix)
    Q_PROPERTY(QStringList InterMatrix READ InterMatrix WRITE SetInterMatrix)
    Q_PROPERTY(vc::TRational* FrameRate READ FrameRate WRITE SetFrameRate)
    Q_PROPERTY(float FrameAspectRatio READ FrameAspectRatio WRITE SetFrameAspectRatio)
    Q_PROPERTY(int MeThreshold READ MeThreshold WRITE SetMeThreshold)
    Q_PROPERTY(bool Deinterlace READ Deinterlace WRITE SetDeinterlace)
    Q_PROPERTY(int Pass READ Pass WRITE SetPass)
    Q_PROPERTY(int MaxFrames READ MaxFrames WRITE SetMaxFrames)
    Q_PROPERTY(int Bitrate READ Bitrate WRITE SetBitrate)
    Q_PROPERTY(QStringList ForceKeyFrames READ ForceKeyFrames WRITE SetForceKeyFrames)

public:
    using Matrix = std::array<uint16_t, 64>;

    explicit TVideoOptions(QObject* parent = nullptr);
    // Copies everything but ForceFPS, which stays the target's own choice.
    void Assign(const TPersistent* source) override;

    int FrameWidth() const { return frame_width_; }
    void SetFrameWidth(int v);
    int FrameHeight() const { return frame_height_; }
    void SetFrameHeight(int v);
    QString EncoderVideoCodecName() const { return encoder_video_codec_name_; }
    void SetEncoderVideoCodecName(const QString& v) { encoder_video_codec_name_ = v; }
    QString DecoderVideoCodecName() const { return decoder_video_codec_name_; }
    void SetDecoderVideoCodecName(const QString& v) { decoder_video_codec_name_ = v; }
    bool VideoDisable() const { return video_disable_; }
    void SetVideoDisable(bool v) { video_disable_ = v; }
    bool VideoStreamCopy() const { return video_stream_copy_; }
    void SetVideoStreamCopy(bool v) { video_stream_copy_ = v; }
    int VideoCodecTag() const { return video_codec_tag_; }
    void SetVideoCodecTag(int v) { video_codec_tag_ = v; }
    QString VideoLanguage() const { return video_language_; }
    void SetVideoLanguage(const QString& v) { video_language_ = v; }
    bool IntraOnly() const { return intra_only_; }
    void SetIntraOnly(bool v) { intra_only_ = v; }
    float VideoQscale() const { return video_qscale_; }
    void SetVideoQscale(float v) { video_qscale_ = v; }
    bool SameQuality() const { return same_quality_; }
    void SetSameQuality(bool v) { same_quality_ = v; }
    QString VideoRcOverrideString() const { return video_rc_override_string_; }
    void SetVideoRcOverrideString(const QString& v) { video_rc_override_string_ = v; }
    int IntraDcPrecision() const { return intra_dc_precision_; }
    void SetIntraDcPrecision(int v) { intra_dc_precision_ = v; }
    int VideoSyncMethod() const { return video_sync_method_; }
    void SetVideoSyncMethod(int v) { video_sync_method_ = v; }
    int TopFieldFirst() const { return top_field_first_; }
    // -1, 0 or 1; anything else throws vc::Error("Invalid TopFieldFirst Value!").
    void SetTopFieldFirst(int v);
    bool ForceFPS() const { return force_fps_; }
    void SetForceFPS(bool v) { force_fps_ = v; }
    // A custom matrix is 64 integer lines; an empty list means none. A bad list is reported in the
    // error box and leaves the property as it was.
    QStringList IntraMatrix() const { return intra_matrix_; }
    void SetIntraMatrix(const QStringList& v);
    QStringList InterMatrix() const { return inter_matrix_; }
    void SetInterMatrix(const QStringList& v);
    TRational* FrameRate() const { return frame_rate_; }
    void SetFrameRate(const TRational* v) { frame_rate_->Assign(v); }
    float FrameAspectRatio() const { return frame_aspect_ratio_; }
    void SetFrameAspectRatio(float v) { frame_aspect_ratio_ = v; }
    int MeThreshold() const { return me_threshold_; }
    void SetMeThreshold(int v) { me_threshold_ = v; }
    bool Deinterlace() const { return deinterlace_; }
    void SetDeinterlace(bool v) { deinterlace_ = v; }
    int Pass() const { return pass_; }
    // 0, 1 or 2; anything else is reported in the error box and ignored.
    void SetPass(int v);
    int MaxFrames() const { return max_frames_; }
    void SetMaxFrames(int v) { max_frames_ = v; }
    int Bitrate() const { return bitrate_; }
    void SetBitrate(int v) { bitrate_ = v; }
    QStringList ForceKeyFrames() const { return force_key_frames_; }
    void SetForceKeyFrames(const QStringList& v) { force_key_frames_ = v; }

    // Not published (never stored); copied by Assign.
    int PixelFormat = -1; // AVPixelFormat forced on the encoder and the input opener; -1 = not forced
    int VideoDiscard = 0;

    // The parsed matrices, valid while the matching list property is not empty.
    Matrix IntraMatrixValues{};
    Matrix InterMatrixValues{};

private:
    // Validates `lines` into `table`; true when `lines` may become the list property.
    static bool ParseMatrix(const QStringList& lines, Matrix& table);

    int frame_width_ = 0;
    int frame_height_ = 0;
    QString encoder_video_codec_name_;
    QString decoder_video_codec_name_;
    bool video_disable_ = false;
    bool video_stream_copy_ = false;
    int video_codec_tag_ = 0;
    QString video_language_;
    bool intra_only_ = false;
    float video_qscale_ = 0;
    bool same_quality_ = false;
    QString video_rc_override_string_;
    int intra_dc_precision_ = 8;
    int video_sync_method_ = -1;
    int top_field_first_ = -1;
    bool force_fps_ = false;
    QStringList intra_matrix_;
    QStringList inter_matrix_;
    TRational* frame_rate_; // owned (child object)
    float frame_aspect_ratio_ = 0;
    int me_threshold_ = 0;
    bool deinterlace_ = false;
    int pass_ = 0;
    int max_frames_ = INT_MAX;
    int bitrate_ = 0;
    QStringList force_key_frames_;
};

} // namespace vc
