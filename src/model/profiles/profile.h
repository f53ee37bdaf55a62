#pragma once
// Profiles: named recipes for the output of a conversion. Apply writes a recipe into conversion
// options; the editable profiles also live in the user profile file.
#include "engine/options/persistent.h"

#include <QString>
#include <QStringList>

namespace vc {

class IniFile;
class TAVConverter;
class TAVConvertOptions;
class TAVProfileList;

// The section of the user profile file that holds every key.
inline constexpr const char* kProfileSection = "Profile";

class TAVProfile : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(QString Description READ Description WRITE SetDescription)
    Q_PROPERTY(QString Extension READ Extension WRITE SetExtension)
    Q_PROPERTY(QString Category READ Category WRITE SetCategory)

public:
    explicit TAVProfile(QObject* owner = nullptr) : TPersistent(owner) {}
    // Leaves its catalogue first.
    ~TAVProfile() override;

    QString Description() const { return description_; }
    void SetDescription(const QString& v) { description_ = v; }
    // With its dot (".mp4"); image-sequence profiles carry a digit before the dot ("1.jpg").
    virtual QString Extension() const { return extension_; }
    virtual void SetExtension(const QString& v) { extension_ = v; }
    // Compared with category names without regard to case.
    QString Category() const { return category_; }
    void SetCategory(const QString& v) { category_ = v; }

    // The catalogue this profile is listed in (not owning), or nullptr. Setting another list moves
    // the profile to the end of that list.
    TAVProfileList* ProfileList() const { return profile_list_; }
    void SetProfileList(TAVProfileList* list);
    // Position in the catalogue, -1 when in none. Setting it clamps to the catalogue's range.
    int Index() const;
    void SetIndex(int index);

    // Writes this profile's keys, numbered `number`, into the section "Profile".
    virtual void SaveToIni(IniFile& ini, int number) const;
    // Reads them back; a missing or unreadable key keeps the current value.
    virtual void LoadFromIni(const IniFile& ini, int number);

    // Writes the recipe into `options` and returns true. Nothing is cleared first: what a profile
    // does not write keeps its value, so callers prepare the options before applying.
    virtual bool Apply(TAVConvertOptions* options) = 0;

    void Assign(const TPersistent* source) override;

    // "Description<number>" and so on.
    static QString Key(const char* word, int number);

private:
    friend class TAVProfileList;
    QString description_;
    QString extension_;
    QString category_;
    TAVProfileList* profile_list_ = nullptr; // maintained by TAVProfileList
};

class TAVCustomAudioProfile : public TAVProfile {
    Q_OBJECT
    Q_PROPERTY(int SampleRate READ SampleRate WRITE SetSampleRate)
    Q_PROPERTY(TCustomAudioEncoder AudioEncoder READ AudioEncoder WRITE SetAudioEncoder)
    Q_PROPERTY(TCustomAudioChannels AudioChannels READ AudioChannels WRITE SetAudioChannels)
    Q_PROPERTY(double AudioBitrate READ AudioBitrate WRITE SetAudioBitrate)
    Q_PROPERTY(TCustomAVFormat Format READ Format WRITE SetFormat)
    Q_PROPERTY(QStringList Options READ Options WRITE SetOptions)

public:
    enum TCustomAudioEncoder : int { AAC, WMAV2, AC3, MP2, MP3, PCM_S16LE, RA1, AMR_NB };
    Q_ENUM(TCustomAudioEncoder)
    enum TCustomAudioChannels : int { mono1, stereo2 };
    Q_ENUM(TCustomAudioChannels)
    enum TCustomAVFormat : int {
        F_NONE,
        F_RM,
        F_MP4,
        F_ASF,
        F_AVI,
        F_3GP,
        F_3GP2,
        F_FLV,
        F_MOV,
        F_PSP,
        F_IPOD,
        F_SVCD,
        F_VCD,
        F_VOB,
        F_DVD,
        F_WEBM,
        F_AC3,
        F_MKV
    };
    Q_ENUM(TCustomAVFormat)

    explicit TAVCustomAudioProfile(QObject* owner = nullptr) : TAVProfile(owner) {}

    int SampleRate() const { return sample_rate_; } // Hz
    void SetSampleRate(int v) { sample_rate_ = v; }
    TCustomAudioEncoder AudioEncoder() const { return audio_encoder_; }
    void SetAudioEncoder(TCustomAudioEncoder v) { audio_encoder_ = v; }
    TCustomAudioChannels AudioChannels() const { return audio_channels_; }
    void SetAudioChannels(TCustomAudioChannels v) { audio_channels_ = v; }
    double AudioBitrate() const { return audio_bitrate_; } // kbit/s, may be fractional (12.2)
    void SetAudioBitrate(double v) { audio_bitrate_ = v; }
    TCustomAVFormat Format() const { return format_; }
    void SetFormat(TCustomAVFormat v) { format_ = v; }
    // Extra encoder and muxer options, one "name=value" per line.
    QStringList Options() const { return options_; }
    void SetOptions(const QStringList& v) { options_ = v; }

    // The AudioEncoderNames entry of the encoder.
    QString AudioEncoderName() const;

    void SaveToIni(IniFile& ini, int number) const override;
    void LoadFromIni(const IniFile& ini, int number) override;
    bool Apply(TAVConvertOptions* options) override;
    void Assign(const TPersistent* source) override;

private:
    int sample_rate_ = 0;
    TCustomAudioEncoder audio_encoder_ = AAC;
    TCustomAudioChannels audio_channels_ = mono1;
    double audio_bitrate_ = 0;
    TCustomAVFormat format_ = F_NONE;
    QStringList options_;
};

class TAVCustomVideoProfile : public TAVCustomAudioProfile {
    Q_OBJECT
    Q_PROPERTY(int FrameWidth READ FrameWidth WRITE SetFrameWidth)
    Q_PROPERTY(int FrameHeight READ FrameHeight WRITE SetFrameHeight)
    Q_PROPERTY(TCustomVideoEncoder VideoEncoder READ VideoEncoder WRITE SetVideoEncoder)
    Q_PROPERTY(TCustomFrameRate FrameRate READ FrameRate WRITE SetFrameRate)
    Q_PROPERTY(int VideoBitrate READ VideoBitrate WRITE SetVideoBitrate)
    Q_PROPERTY(int Pass READ Pass WRITE SetPass)
    Q_PROPERTY(TAVAspectRatio FrameAspectRatio READ FrameAspectRatio WRITE SetFrameAspectRatio)
    Q_PROPERTY(TAVFrameSize FrameSize READ FrameSize)

public:
    enum TCustomVideoEncoder : int { H263, H264, MPEG4, WMV2, MPEG2VIDEO, MSMPEGV3, RV20, XVID, FLV };
    Q_ENUM(TCustomVideoEncoder)
    enum TCustomFrameRate : int { rOriginal, r1499, r20, r2397, r24, r25, r2997, r30 };
    Q_ENUM(TCustomFrameRate)
    enum TAVAspectRatio : int { AR_NONE, AR4_3 };
    Q_ENUM(TAVAspectRatio)
    enum TAVFrameSize : int {
        fsOriginal,
        fsNtsc,
        fsPal,
        fsQntsc,
        fsIPaq,
        fsPsp,
        fsSpal,
        fsIPhone,
        fsSqcif,
        fsQcif,
        fsCif,
        fs4cif,
        fs16cif,
        fsQqvga,
        fsQvga,
        fsVga,
        fsSvga,
        fsXga,
        fsUxga,
        fsQxga,
        fsSxga,
        fsQsxga,
        fsHsxga,
        fsWvga,
        fsWxga,
        fsWsxga,
        fsWuxga,
        fsWoxga,
        fsWqsxga,
        fsWquxga,
        fsWhsxga,
        fsWhuxga,
        fsCga,
        fsEga,
        fsHd480,
        fsHd720,
        fsHd1080,
        fsMceHd
    };
    Q_ENUM(TAVFrameSize)

    explicit TAVCustomVideoProfile(QObject* owner = nullptr) : TAVCustomAudioProfile(owner) {}

    int FrameWidth() const { return frame_width_; } // 0 keeps the source width
    void SetFrameWidth(int v) { frame_width_ = v; }
    int FrameHeight() const { return frame_height_; } // 0 keeps the source height
    void SetFrameHeight(int v) { frame_height_ = v; }
    TCustomVideoEncoder VideoEncoder() const { return video_encoder_; }
    void SetVideoEncoder(TCustomVideoEncoder v) { video_encoder_ = v; }
    TCustomFrameRate FrameRate() const { return frame_rate_; }
    void SetFrameRate(TCustomFrameRate v) { frame_rate_ = v; }
    int VideoBitrate() const { return video_bitrate_; } // kbit/s
    void SetVideoBitrate(int v) { video_bitrate_ = v; }
    int Pass() const { return pass_; }
    void SetPass(int v) { pass_ = v; }
    TAVAspectRatio FrameAspectRatio() const { return frame_aspect_ratio_; }
    void SetFrameAspectRatio(TAVAspectRatio v) { frame_aspect_ratio_ = v; }
    // The first FrameSizeTable entry of exactly this width and height, else fsOriginal.
    TAVFrameSize FrameSize() const;

    // The VideoEncoderNames entry of the encoder.
    QString VideoEncoderName() const;
    // The rate of FrameRateNames as a number (23.97 for r2397); 0 for rOriginal.
    double FrameRateValue() const;

    void SaveToIni(IniFile& ini, int number) const override;
    void LoadFromIni(const IniFile& ini, int number) override;
    bool Apply(TAVConvertOptions* options) override;
    void Assign(const TPersistent* source) override;

private:
    int frame_width_ = 0;
    int frame_height_ = 0;
    TCustomVideoEncoder video_encoder_ = H263;
    TCustomFrameRate frame_rate_ = rOriginal;
    int video_bitrate_ = 0;
    int pass_ = 0;
    TAVAspectRatio frame_aspect_ratio_ = AR_NONE;
};

// The wizards' form of Apply: writes the recipe into the converter's ConvertOptions.
bool ApplyProfile(TAVProfile& profile, TAVConverter& converter);

using TCustomAudioEncoder = TAVCustomAudioProfile::TCustomAudioEncoder;
using TCustomAudioChannels = TAVCustomAudioProfile::TCustomAudioChannels;
using TCustomAVFormat = TAVCustomAudioProfile::TCustomAVFormat;
using TCustomVideoEncoder = TAVCustomVideoProfile::TCustomVideoEncoder;
using TCustomFrameRate = TAVCustomVideoProfile::TCustomFrameRate;
using TAVAspectRatio = TAVCustomVideoProfile::TAVAspectRatio;
using TAVFrameSize = TAVCustomVideoProfile::TAVFrameSize;

} // namespace vc
