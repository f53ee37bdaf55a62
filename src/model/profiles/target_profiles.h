#pragma once
// Fixed-standard target profiles (VCD, SVCD, DVD, DV, DV50), the image-sequence profile and the
// H.264 encoder preset profile.
#include "model/profiles/profile.h"

namespace vc {

class TAVTargetProfile : public TAVProfile {
    Q_OBJECT
    Q_PROPERTY(TAVTarget Target READ Target WRITE SetTarget)

public:
    // pal selects the PAL frame sizes; ntsc and film the NTSC ones. Each has its own frame rate.
    enum TAVTarget : int { pal, ntsc, film };
    Q_ENUM(TAVTarget)

    explicit TAVTargetProfile(QObject* owner = nullptr) : TAVProfile(owner) {}

    TAVTarget Target() const { return target_; }
    void SetTarget(TAVTarget v) { target_ = v; }
    bool IsPal() const { return target_ == pal; }

    void Assign(const TPersistent* source) override;

protected:
    // Writes the frame rate of Target into the video options.
    void ApplyTargetFrameRate(TAVConvertOptions* options) const;

private:
    TAVTarget target_ = pal;
};

using TAVTarget = TAVTargetProfile::TAVTarget;

class TAVVcdProfile : public TAVTargetProfile {
    Q_OBJECT
public:
    explicit TAVVcdProfile(QObject* owner = nullptr);
    bool Apply(TAVConvertOptions* options) override;
};

class TAVSVcdProfile : public TAVTargetProfile {
    Q_OBJECT
public:
    explicit TAVSVcdProfile(QObject* owner = nullptr);
    bool Apply(TAVConvertOptions* options) override;
};

class TAVDvdProfile : public TAVTargetProfile {
    Q_OBJECT
public:
    explicit TAVDvdProfile(QObject* owner = nullptr);
    bool Apply(TAVConvertOptions* options) override;
};

// Writes no codec names: the dv muxer's own default encoders apply.
class TAVDvProfile : public TAVTargetProfile {
    Q_OBJECT
public:
    explicit TAVDvProfile(QObject* owner = nullptr);
    bool Apply(TAVConvertOptions* options) override;
};

class TAVDv50Profile : public TAVTargetProfile {
    Q_OBJECT
public:
    explicit TAVDv50Profile(QObject* owner = nullptr);
    bool Apply(TAVConvertOptions* options) override;
};

// A numbered picture sequence; the image encoder follows from the target file's extension.
class TAVImageProfile : public TAVProfile {
    Q_OBJECT
    Q_PROPERTY(TAVImageType ImageType READ ImageType WRITE SetImageType)

public:
    enum TAVImageType : int { bitmap, jpeg, png, gif, tiff };
    Q_ENUM(TAVImageType)

    explicit TAVImageProfile(QObject* owner = nullptr);

    // Shown and stored only.
    TAVImageType ImageType() const { return image_type_; }
    void SetImageType(TAVImageType v) { image_type_ = v; }

    bool Apply(TAVConvertOptions* options) override;
    void Assign(const TPersistent* source) override;

private:
    TAVImageType image_type_ = bitmap;
};

using TAVImageType = TAVImageProfile::TAVImageType;

// The file-name pattern the image muxer needs to write a numbered sequence for a target named
// after an image profile's extension: the run of digits just before the extension becomes "%d"
// ("/out/clip1.jpg" -> "/out/clip%d.jpg", numbering from that number); a name without such digits
// gets "%d" before its extension, numbering from 1. Any other "%" is doubled so it is taken
// literally. A name that already holds a pattern ("%03d") is returned unchanged, with
// `start_number` left untouched.
QString ImageSequencePattern(const QString& target, int* start_number = nullptr);

// Encoder options of the H.264 encoder for one of eleven presets. Never listed in the catalogue.
class TAVX264Profile : public TAVProfile {
    Q_OBJECT
    Q_PROPERTY(TPreset preset READ preset WRITE SetPreset)

public:
    enum TPreset : int {
        basic,
        FastFirstPass,
        SlowFirstPass,
        Common,
        HighQuality,
        Best,
        LosslessFast,
        LosslessMedium,
        LosslessSlow,
        LosslessSlower,
        LosslessMax
    };
    Q_ENUM(TPreset)

    explicit TAVX264Profile(QObject* owner = nullptr);

    TPreset preset() const { return preset_; }
    void SetPreset(TPreset v) { preset_ = v; }

    bool Apply(TAVConvertOptions* options) override;
    void Assign(const TPersistent* source) override;

private:
    TPreset preset_ = basic;
};

using TPreset = TAVX264Profile::TPreset;

} // namespace vc
