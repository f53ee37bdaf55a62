#include "model/profiles/target_profiles.h"

#include "engine/options/convert_options.h"
#include "model/profiles/profile_tables.h"

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <QRegularExpression>

namespace vc {
namespace {

void SetFrameSize(TVideoOptions* video, int width, int height) {
    video->SetFrameWidth(width);
    video->SetFrameHeight(height);
}

// The common shape of the VCD, SVCD and DVD recipes.
struct DiscRecipe {
    const char* video_codec;
    const char* audio_codec;
    const char* format;
    int pal_width, pal_height, ntsc_width, ntsc_height;
    int video_bitrate;
    int audio_bitrate;
    std::initializer_list<std::pair<const char*, const char*>> codec_options;
    int sample_rate;
};

void ApplyDiscRecipe(const DiscRecipe& r, bool is_pal, TAVConvertOptions* options) {
    TVideoOptions* video = options->VideoOptions();
    TAudioOptions* audio = options->AudioOptions();
    video->SetEncoderVideoCodecName(QString::fromLatin1(r.video_codec));
    audio->SetEncoderAudioCodecName(QString::fromLatin1(r.audio_codec));
    options->SetOutputFormat(QString::fromLatin1(r.format));
    if (is_pal)
        SetFrameSize(video, r.pal_width, r.pal_height);
    else
        SetFrameSize(video, r.ntsc_width, r.ntsc_height);
    // Appended as it is, without looking for an earlier "g" line.
    QStringList codec_options = options->CodecOptions();
    codec_options << (is_pal ? QStringLiteral("g=15") : QStringLiteral("g=18"));
    options->SetCodecOptions(codec_options);
    video->SetBitrate(r.video_bitrate);
    audio->SetBitrate(r.audio_bitrate);
    for (const auto& [name, value] : r.codec_options)
        options->SetCodecOption(QString::fromLatin1(name), QString::fromLatin1(value));
    audio->SetAudioSampleRate(r.sample_rate);
}

} // namespace

// ---- TAVTargetProfile ----

void TAVTargetProfile::Assign(const TPersistent* source) {
    TAVProfile::Assign(source);
    if (const auto* s = qobject_cast<const TAVTargetProfile*>(source))
        SetTarget(s->Target());
}

void TAVTargetProfile::ApplyTargetFrameRate(TAVConvertOptions* options) const {
    const TRationalValue rate = TargetFrameRates[Target()];
    options->VideoOptions()->FrameRate()->SetNum(rate.num);
    options->VideoOptions()->FrameRate()->SetDen(rate.den);
}

TAVVcdProfile::TAVVcdProfile(QObject* owner) : TAVTargetProfile(owner) {
    SetDescription(QStringLiteral("VCD"));
    SetExtension(QStringLiteral(".mpg"));
}

bool TAVVcdProfile::Apply(TAVConvertOptions* options) {
    ApplyDiscRecipe({"mpeg1video",
                     "mp2",
                     "vcd",
                     352,
                     288,
                     352,
                     240,
                     1150000,
                     224000,
                     {{"maxrate", "1150000"},
                      {"minrate", "1150000"},
                      {"bufsize", "327680"},
                      {"packetsize", "2324"},
                      {"muxrate", "1411200"}},
                     44100},
                    IsPal(), options);
    options->AudioOptions()->SetAudioChannels(2);
    options->MuxerOptions()->SetMuxPreload(0.44f);
    ApplyTargetFrameRate(options);
    return true;
}

TAVSVcdProfile::TAVSVcdProfile(QObject* owner) : TAVTargetProfile(owner) {
    SetDescription(QStringLiteral("SVCD"));
    SetExtension(QStringLiteral(".mpg"));
}

bool TAVSVcdProfile::Apply(TAVConvertOptions* options) {
    ApplyDiscRecipe({"mpeg2video",
                     "mp2",
                     "svcd",
                     480,
                     576,
                     480,
                     480,
                     2040000,
                     224000,
                     {{"maxrate", "2516000"},
                      {"minrate", "0"},
                      {"bufsize", "1835008"},
                      {"flags", "+scan_offset"},
                      {"packetsize", "2324"}},
                     44100},
                    IsPal(), options);
    ApplyTargetFrameRate(options);
    return true;
}

TAVDvdProfile::TAVDvdProfile(QObject* owner) : TAVTargetProfile(owner) {
    SetDescription(QStringLiteral("DVD"));
    SetExtension(QStringLiteral(".vob"));
}

bool TAVDvdProfile::Apply(TAVConvertOptions* options) {
    ApplyDiscRecipe({"mpeg2video",
                     "ac3",
                     "dvd",
                     720,
                     576,
                     720,
                     480,
                     6000000,
                     448000,
                     {{"maxrate", "9000000"},
                      {"minrate", "0"},
                      {"bufsize", "1835008"},
                      {"packetsize", "2048"},
                      {"muxrate", "10080000"}},
                     48000},
                    IsPal(), options);
    ApplyTargetFrameRate(options);
    return true;
}

TAVDvProfile::TAVDvProfile(QObject* owner) : TAVTargetProfile(owner) {
    SetDescription(QStringLiteral("DV"));
    SetExtension(QStringLiteral(".dv"));
}

bool TAVDvProfile::Apply(TAVConvertOptions* options) {
    TVideoOptions* video = options->VideoOptions();
    options->SetOutputFormat(QStringLiteral("dv"));
    if (IsPal()) {
        SetFrameSize(video, 720, 576);
        video->PixelFormat = AV_PIX_FMT_YUV420P;
    } else {
        SetFrameSize(video, 720, 480);
        video->PixelFormat = AV_PIX_FMT_YUV411P;
    }
    options->AudioOptions()->SetAudioSampleRate(48000);
    options->AudioOptions()->SetAudioChannels(2);
    ApplyTargetFrameRate(options);
    return true;
}

TAVDv50Profile::TAVDv50Profile(QObject* owner) : TAVTargetProfile(owner) {
    SetDescription(QStringLiteral("DV50"));
    SetExtension(QStringLiteral(".dv"));
}

bool TAVDv50Profile::Apply(TAVConvertOptions* options) {
    options->VideoOptions()->PixelFormat = AV_PIX_FMT_YUV422P;
    ApplyTargetFrameRate(options);
    return true;
}

// ---- TAVImageProfile ----

TAVImageProfile::TAVImageProfile(QObject* owner) : TAVProfile(owner) {
    SetDescription(QStringLiteral("Image Sequence Profile"));
}

bool TAVImageProfile::Apply(TAVConvertOptions* options) {
    options->SetThreadCount(1);
    return true;
}

void TAVImageProfile::Assign(const TPersistent* source) {
    TAVProfile::Assign(source);
    if (const auto* s = qobject_cast<const TAVImageProfile*>(source))
        SetImageType(s->ImageType());
}

QString ImageSequencePattern(const QString& target, int* start_number) {
    static const QRegularExpression kHasPattern(QStringLiteral("%0?\\d*d"));
    const qsizetype slash =
        std::max(target.lastIndexOf(QLatin1Char('/')), target.lastIndexOf(QLatin1Char('\\')));
    const QString folder = target.left(slash + 1);
    const QString name = target.mid(slash + 1);
    if (kHasPattern.match(name).hasMatch())
        return target;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype stem_end = dot < 0 ? name.size() : dot;
    qsizetype digits_start = stem_end;
    while (digits_start > 0 && name[digits_start - 1].isDigit() && name[digits_start - 1].unicode() < 128)
        --digits_start;
    auto escape = [](QString text) { return text.replace(QLatin1Char('%'), QLatin1String("%%")); };
    if (digits_start == stem_end) { // no number yet: the sequence starts at 1 after the name
        if (start_number != nullptr)
            *start_number = 1;
        return escape(folder) + escape(name.left(stem_end)) + QStringLiteral("%d") +
               escape(name.mid(stem_end));
    }
    // The muxer reads the whole path as a pattern, so every other "%" is doubled.
    bool ok = false;
    const int first = name.mid(digits_start, stem_end - digits_start).toInt(&ok);
    if (!ok)
        return target;
    if (start_number != nullptr)
        *start_number = first;
    return escape(folder) + escape(name.left(digits_start)) + QStringLiteral("%d") +
           escape(name.mid(stem_end));
}

// ---- TAVX264Profile ----

namespace {

// One row per key, in the order the keys are written; nullptr: the preset does not write the key.
struct X264Row {
    const char* key;
    std::array<const char*, 11> values; // basic, FastFirstPass, SlowFirstPass, Common, HighQuality,
                                        // Best, LosslessFast, LosslessMedium, LosslessSlow,
                                        // LosslessSlower, LosslessMax
};

constexpr const char* kAllParts = "+parti8x8+parti4x4+partp8x8+partb8x8";
constexpr const char* kLosslessParts = "+parti8x8+parti4x4+partp8x8+partp4x4-partb8x8";

// clang-format off
const X264Row kX264Presets[] = {
    {"coder",        {"1", "1", "1", "1", "1", "1", "1", "1", "1", "1", "1"}},
    {"flags",        {"+loop", "+loop", "+loop", "+loop", "+loop", "+loop", "+loop", "+loop", "+loop", "+loop", "+loop"}},
    {"cmp",          {"+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma", "+chroma"}},
    {"partitions",   {kAllParts, "-parti8x8-parti4x4-partp8x8-partp4x4-partb8x8", kAllParts, kAllParts, kAllParts,
                      "+parti8x8+parti4x4+partp8x8+partp4x4+partb8x8", "-parti8x8+parti4x4+partp8x8-partp4x4-partb8x8",
                      "-parti8x8+parti4x4+partp8x8+partp4x4-partb8x8", kLosslessParts, kLosslessParts, kLosslessParts}},
    {"me_method",    {"hex", "dia", "hex", "hex", "umh", "tesa", "hex", "hex", "umh", "umh", "esa"}},
    {"subq",         {"7", "2", "6", "6", "8", "10", "3", "5", "6", "8", "8"}},
    {"me_range",     {"16", "16", "16", "16", "16", "24", "16", "16", "16", "16", "16"}},
    {"g",            {"250", "250", "250", "250", "250", "250", "250", "250", "250", "250", "250"}},
    {"keyint_min",   {"25", "25", "25", "25", "25", "25", "25", "25", "25", "25", "25"}},
    {"sc_threshold", {"40", "40", "40", "40", "40", "40", "40", "40", "40", "40", "40"}},
    {"i_qfactor",    {"0.71", "0.71", "0.71", "0.71", "0.71", "0.71", "0.71", "0.71", "0.71", "0.71", "0.71"}},
    {"b_strategy",   {"1", "1", "2", "1", "2", "2", "1", "1", "1", "1", "1"}},
    {"qcomp",        {"0.6", "0.6", "0.6", "0.6", "0.6", "0.6", "0.6", "0.6", "0.6", "0.6", "0.6"}},
    {"qmin",         {"10", "10", "10", "10", "10", "10", "10", "10", "10", "10", "10"}},
    {"qmax",         {"51", "51", "51", "51", "51", "51", "51", "51", "51", "51", "51"}},
    {"qdiff",        {"4", "4", "4", "4", "4", "4", "4", "4", "4", "4", "4"}},
    {"bf",           {"3", "3", "3", "3", "3", "3", nullptr, nullptr, nullptr, nullptr, nullptr}},
    {"refs",         {"3", "1", "1", "2", "4", "16", nullptr, nullptr, "2", "4", "16"}},
    {"directpred",   {"1", "3", "3", "3", "3", "3", "1", "1", "1", "1", "1"}},
    {"trellis",      {"1", "0", "0", "0", "1", "2", nullptr, nullptr, nullptr, nullptr, nullptr}},
    {"cqp",          {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, "0", "0", "0", "0", "0"}},
    {"flags2",       {"+mixed_refs+wpred+dct8x8+fastpskip+mbtree", "-bpyramid-wpred-mixed_refs-dct8x8+fastpskip+mbtree",
                      "+wpred+dct8x8+fastpskip+mbtree", "+wpred+dct8x8+fastpskip+mbtree",
                      "+wpred+mixed_refs+dct8x8+fastpskip+mbtree", "+wpred+mixed_refs+dct8x8-fastpskip+mbtree",
                      "+fastpskip+mbtree", "+fastpskip+mbtree", "+dct8x8+fastpskip+mbtree",
                      "+mixed_refs+dct8x8+fastpskip+mbtree", "+mixed_refs+dct8x8+fastpskip+mbtree"}},
    {"wpredp",       {"2", "2", "2", "2", "2", "2", "0", "2", "2", "2", "2"}},
};
// clang-format on

} // namespace

TAVX264Profile::TAVX264Profile(QObject* owner) : TAVProfile(owner) {
    SetDescription(QStringLiteral("H264 Profile"));
    SetExtension(QStringLiteral(".mp4"));
}

bool TAVX264Profile::Apply(TAVConvertOptions* options) {
    const auto column = static_cast<size_t>(preset());
    for (const X264Row& row : kX264Presets)
        if (column < row.values.size() && row.values[column] != nullptr)
            options->SetCodecOption(QString::fromLatin1(row.key), QString::fromLatin1(row.values[column]));
    return true;
}

void TAVX264Profile::Assign(const TPersistent* source) {
    TAVProfile::Assign(source);
    if (const auto* s = qobject_cast<const TAVX264Profile*>(source))
        SetPreset(s->preset());
}

} // namespace vc
