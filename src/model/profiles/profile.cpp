#include "model/profiles/profile.h"

#include "engine/converter/converter.h"
#include "engine/options/convert_options.h"
#include "engine/options/string_lists.h"
#include "model/profiles/comma_text.h"
#include "model/profiles/ini_file.h"
#include "model/profiles/profile_list.h"
#include "model/profiles/profile_tables.h"
#include "model/profiles/target_profiles.h"
#include "platform/error.h"

#include <cmath>

namespace vc {
namespace {

const QString kSection = QString::fromLatin1(kProfileSection);

[[noreturn]] void AssertionFailed(const char* what) {
    throw Error(std::string("Assertion failed: ") + what + " (Converter/AVProfile)");
}

template <typename Enum, size_t N>
const char* Lookup(const std::array<const char*, N>& table, Enum value, const char* what) {
    const auto index = static_cast<size_t>(value);
    if (index >= N)
        AssertionFailed(what);
    return table[index];
}

// An enumeration read from the file; values outside the enumeration keep the current one.
template <typename Enum> Enum ReadEnum(const IniFile& ini, const QString& key, Enum current, int count) {
    const int value = ini.ReadInteger(kSection, key, static_cast<int>(current));
    return value >= 0 && value < count ? static_cast<Enum>(value) : current;
}

} // namespace

// ---- TAVProfile ----

TAVProfile::~TAVProfile() {
    SetProfileList(nullptr);
}

QString TAVProfile::Key(const char* word, int number) {
    return QString::fromLatin1(word) + QString::number(number);
}

void TAVProfile::SetProfileList(TAVProfileList* list) {
    if (list == profile_list_)
        return;
    if (profile_list_ != nullptr)
        profile_list_->RemoveProfile(this);
    if (list != nullptr)
        list->AddProfile(this);
}

int TAVProfile::Index() const {
    return profile_list_ == nullptr ? -1 : profile_list_->IndexOf(this);
}

void TAVProfile::SetIndex(int index) {
    if (profile_list_ != nullptr)
        profile_list_->MoveProfile(this, index);
}

void TAVProfile::SaveToIni(IniFile& ini, int number) const {
    ini.WriteString(kSection, Key("Description", number), Description());
    ini.WriteString(kSection, Key("Extension", number), Extension());
    ini.WriteString(kSection, Key("Category", number), Category());
}

void TAVProfile::LoadFromIni(const IniFile& ini, int number) {
    SetDescription(ini.ReadString(kSection, Key("Description", number), Description()));
    SetExtension(ini.ReadString(kSection, Key("Extension", number), Extension()));
    SetCategory(ini.ReadString(kSection, Key("Category", number), Category()));
}

void TAVProfile::Assign(const TPersistent* source) {
    const auto* s = qobject_cast<const TAVProfile*>(source);
    if (s == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    SetDescription(s->Description());
    SetExtension(s->Extension());
    SetCategory(s->Category());
}

bool ApplyProfile(TAVProfile& profile, TAVConverter& converter) {
    return profile.Apply(converter.ConvertOptions());
}

// ---- TAVCustomAudioProfile ----

QString TAVCustomAudioProfile::AudioEncoderName() const {
    return QString::fromLatin1(Lookup(AudioEncoderNames, AudioEncoder(), "audio encoder"));
}

void TAVCustomAudioProfile::SaveToIni(IniFile& ini, int number) const {
    TAVProfile::SaveToIni(ini, number);
    ini.WriteBool(kSection, Key("IsVideo", number), false);
    ini.WriteInteger(kSection, Key("SampleRate", number), SampleRate());
    ini.WriteInteger(kSection, Key("AudioEncoder", number), AudioEncoder());
    ini.WriteInteger(kSection, Key("AudioChannels", number), AudioChannels());
    ini.WriteFloat(kSection, Key("AudioBitrate", number), AudioBitrate());
    ini.WriteInteger(kSection, Key("Format", number), Format());
    ini.WriteString(kSection, Key("Options", number), ToCommaText(Options()));
}

void TAVCustomAudioProfile::LoadFromIni(const IniFile& ini, int number) {
    TAVProfile::LoadFromIni(ini, number);
    SetSampleRate(ini.ReadInteger(kSection, Key("SampleRate", number), SampleRate()));
    SetAudioEncoder(ReadEnum(ini, Key("AudioEncoder", number), AudioEncoder(), 8));
    SetAudioChannels(ReadEnum(ini, Key("AudioChannels", number), AudioChannels(), 2));
    SetAudioBitrate(ini.ReadFloat(kSection, Key("AudioBitrate", number), AudioBitrate()));
    SetFormat(ReadEnum(ini, Key("Format", number), Format(), 18));
    // Without the key the current lines go through the same split.
    SetOptions(FromCommaText(ini.ReadString(kSection, Key("Options", number), Options().join("\r\n"))));
}

bool TAVCustomAudioProfile::Apply(TAVConvertOptions* options) {
    options->VideoOptions()->SetVideoDisable(true);
    options->SubtitleOptions()->SetSubtitleDisable(true);
    TAudioOptions* audio = options->AudioOptions();
    if (audio->AudioStreamCopy())
        return true; // the audio is copied untouched

    audio->SetEncoderAudioCodecName(
        QString::fromLatin1(Lookup(AudioEncoderCodecNames, AudioEncoder(), "audio encoder")));
    const char* format = Lookup(FormatCodecNames, Format(), "format");
    if (*format != '\0')
        options->SetOutputFormat(QString::fromLatin1(format));
    // Round half to even, the default rounding mode.
    audio->SetBitrate(static_cast<int>(std::nearbyint(AudioBitrate() * 1000)));
    audio->SetAudioSampleRate(SampleRate());
    audio->SetAudioChannels(AudioChannels() == stereo2 ? 2 : 1);
    for (const QString& line : Options()) {
        if (line.trimmed().isEmpty())
            continue;
        const NameValue nv = SplitNameValue(line);
        options->SetCodecOption(nv.name, nv.value);
    }
    return true;
}

void TAVCustomAudioProfile::Assign(const TPersistent* source) {
    TAVProfile::Assign(source);
    if (const auto* s = qobject_cast<const TAVCustomAudioProfile*>(source)) {
        SetSampleRate(s->SampleRate());
        SetAudioEncoder(s->AudioEncoder());
        SetAudioChannels(s->AudioChannels());
        SetAudioBitrate(s->AudioBitrate());
        SetFormat(s->Format());
        SetOptions(s->Options());
    }
}

// ---- TAVCustomVideoProfile ----

TAVFrameSize TAVCustomVideoProfile::FrameSize() const {
    for (size_t i = 0; i < FrameSizeTable.size(); ++i)
        if (FrameSizeTable[i].Width == FrameWidth() && FrameSizeTable[i].Height == FrameHeight())
            return static_cast<TAVFrameSize>(i);
    return fsOriginal;
}

QString TAVCustomVideoProfile::VideoEncoderName() const {
    return QString::fromLatin1(Lookup(VideoEncoderNames, VideoEncoder(), "video encoder"));
}

double TAVCustomVideoProfile::FrameRateValue() const {
    bool ok = false;
    const double value = QString::fromLatin1(Lookup(FrameRateNames, FrameRate(), "frame rate")).toDouble(&ok);
    return ok ? value : 0;
}

void TAVCustomVideoProfile::SaveToIni(IniFile& ini, int number) const {
    TAVCustomAudioProfile::SaveToIni(ini, number);
    ini.WriteBool(kSection, Key("IsVideo", number), true);
    ini.WriteInteger(kSection, Key("FrameWidth", number), FrameWidth());
    ini.WriteInteger(kSection, Key("FrameHeight", number), FrameHeight());
    ini.WriteInteger(kSection, Key("VideoEncoder", number), VideoEncoder());
    ini.WriteInteger(kSection, Key("FrameRate", number), FrameRate());
    ini.WriteInteger(kSection, Key("VideoBitrate", number), VideoBitrate());
}

void TAVCustomVideoProfile::LoadFromIni(const IniFile& ini, int number) {
    TAVCustomAudioProfile::LoadFromIni(ini, number);
    SetFrameWidth(ini.ReadInteger(kSection, Key("FrameWidth", number), FrameWidth()));
    SetFrameHeight(ini.ReadInteger(kSection, Key("FrameHeight", number), FrameHeight()));
    SetVideoEncoder(ReadEnum(ini, Key("VideoEncoder", number), VideoEncoder(), 9));
    SetFrameRate(ReadEnum(ini, Key("FrameRate", number), FrameRate(), 8));
    SetVideoBitrate(ini.ReadInteger(kSection, Key("VideoBitrate", number), VideoBitrate()));
}

bool TAVCustomVideoProfile::Apply(TAVConvertOptions* options) {
    TAVCustomAudioProfile::Apply(options);
    TVideoOptions* video = options->VideoOptions();
    video->SetVideoDisable(false);

    video->SetEncoderVideoCodecName(
        QString::fromLatin1(Lookup(VideoEncoderCodecNames, VideoEncoder(), "video encoder")));
    switch (VideoEncoder()) {
    case H263:
    case WMV2:
    case RV20:
    case FLV: options->SetThreadCount(1); break;
    case H264: {
        TAVX264Profile x264;
        x264.SetPreset(TAVX264Profile::basic);
        x264.Apply(options);
        video->SetPass(1);
        options->SetCodecOption(QStringLiteral("mbd"), QStringLiteral("rd"));
        options->SetCodecOption(QStringLiteral("level"), QStringLiteral("41"));
        break;
    }
    default: break;
    }
    if (FrameWidth() > 0)
        video->SetFrameWidth(FrameWidth());
    if (FrameHeight() > 0)
        video->SetFrameHeight(FrameHeight());
    video->SetBitrate(VideoBitrate() * 1000);
    if (FrameAspectRatio() == AR4_3)
        video->SetFrameAspectRatio(4.0f / 3.0f);
    video->SetPass(Pass());
    if (FrameRate() != rOriginal) {
        const TRationalValue rate = CustomFrameRates[FrameRate()];
        video->FrameRate()->SetNum(rate.num);
        video->FrameRate()->SetDen(rate.den);
    }
    return true;
}

void TAVCustomVideoProfile::Assign(const TPersistent* source) {
    TAVCustomAudioProfile::Assign(source);
    if (const auto* s = qobject_cast<const TAVCustomVideoProfile*>(source)) {
        SetFrameWidth(s->FrameWidth());
        SetFrameHeight(s->FrameHeight());
        SetVideoEncoder(s->VideoEncoder());
        SetFrameRate(s->FrameRate());
        SetVideoBitrate(s->VideoBitrate());
        SetPass(s->Pass());
        SetFrameAspectRatio(s->FrameAspectRatio());
    }
}

} // namespace vc
