#include "engine/converter/converter.h"
#include "engine/options/convert_options.h"
#include "model/profiles/comma_text.h"
#include "model/profiles/profile.h"
#include "model/profiles/profile_tables.h"
#include "model/profiles/target_profiles.h"
#include "platform/error.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace vc {
namespace {

QStringList BasicPresetLines() {
    return {"coder=1",
            "flags=+loop",
            "cmp=+chroma",
            "partitions=+parti8x8+parti4x4+partp8x8+partb8x8",
            "me_method=hex",
            "subq=7",
            "me_range=16",
            "g=250",
            "keyint_min=25",
            "sc_threshold=40",
            "i_qfactor=0.71",
            "b_strategy=1",
            "qcomp=0.6",
            "qmin=10",
            "qmax=51",
            "qdiff=4",
            "bf=3",
            "refs=3",
            "directpred=1",
            "trellis=1",
            "flags2=+mixed_refs+wpred+dct8x8+fastpskip+mbtree",
            "wpredp=2"};
}

std::unique_ptr<TAVCustomVideoProfile> H264Profile() {
    auto p = std::make_unique<TAVCustomVideoProfile>();
    p->SetVideoEncoder(TAVCustomVideoProfile::H264);
    p->SetAudioEncoder(TAVCustomAudioProfile::AAC);
    p->SetAudioChannels(TAVCustomAudioProfile::stereo2);
    p->SetSampleRate(48000);
    p->SetAudioBitrate(128);
    p->SetVideoBitrate(768);
    return p;
}

} // namespace

TEST(CustomVideoProfile, H264StepWritesPresetThenMbdAndLevelWithoutDuplicates) {
    auto profile = H264Profile();
    TAVConvertOptions options;
    ASSERT_TRUE(profile->Apply(&options));
    QStringList expected = BasicPresetLines();
    expected << "mbd=rd"
             << "level=41";
    EXPECT_EQ(options.CodecOptions(), expected);
    EXPECT_EQ(options.VideoOptions()->Pass(), 0); // the profile's Pass replaces the 1 of the H.264 step
    EXPECT_EQ(options.VideoOptions()->EncoderVideoCodecName(), "libx264");
    EXPECT_EQ(options.AudioOptions()->EncoderAudioCodecName(), "libfaac");
    EXPECT_EQ(options.VideoOptions()->Bitrate(), 768000);
    EXPECT_EQ(options.AudioOptions()->Bitrate(), 128000);
    EXPECT_EQ(options.AudioOptions()->AudioChannels(), 2);
    EXPECT_FALSE(options.VideoOptions()->VideoDisable());
    EXPECT_TRUE(options.SubtitleOptions()->SubtitleDisable());

    profile->Apply(&options);
    EXPECT_EQ(options.CodecOptions(), expected);
}

TEST(CustomVideoProfile, OptionsLinesComeFirstAndThePresetReplacesInPlace) {
    auto profile = H264Profile();
    profile->SetOptions({"g=300", "qmin=3", "qmin=4"});
    TAVConvertOptions options;
    profile->Apply(&options);
    const QStringList lines = options.CodecOptions();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], "g=250");
    EXPECT_EQ(lines[1], "qmin=10"); // two "qmin" lines became one, then the preset replaced it
    EXPECT_EQ(lines.filter(QRegularExpression("^qmin=")).size(), 1);
    EXPECT_EQ(lines.filter(QRegularExpression("^g=")).size(), 1);
}

TEST(CustomVideoProfile, DuplicateOptionNamesKeepTheLaterValue) {
    TAVCustomVideoProfile profile;
    profile.SetVideoEncoder(TAVCustomVideoProfile::MPEG4);
    profile.SetOptions({"maxrate=1", "bufsize=4096k", "maxrate=2"});
    TAVConvertOptions options;
    profile.Apply(&options);
    EXPECT_EQ(options.CodecOptions(), QStringList({"maxrate=2", "bufsize=4096k"}));
}

TEST(CustomVideoProfile, SizeRateAndAspectOnlyWhenSet) {
    TAVCustomVideoProfile keep;
    keep.SetVideoEncoder(TAVCustomVideoProfile::MPEG4);
    TAVConvertOptions fresh;
    keep.Apply(&fresh);
    EXPECT_EQ(fresh.VideoOptions()->FrameWidth(), 0);
    EXPECT_EQ(fresh.VideoOptions()->FrameHeight(), 0);
    EXPECT_EQ(fresh.VideoOptions()->FrameRate()->num(), 0);
    EXPECT_EQ(fresh.VideoOptions()->FrameRate()->den(), 0);
    EXPECT_EQ(fresh.VideoOptions()->FrameAspectRatio(), 0.0f);

    TAVCustomVideoProfile sized;
    sized.SetFrameWidth(320);
    sized.SetFrameRate(TAVCustomVideoProfile::r2397);
    sized.SetFrameAspectRatio(TAVCustomVideoProfile::AR4_3);
    TAVConvertOptions options;
    options.VideoOptions()->SetFrameHeight(99);
    sized.Apply(&options);
    EXPECT_EQ(options.VideoOptions()->FrameWidth(), 320);
    EXPECT_EQ(options.VideoOptions()->FrameHeight(), 99); // width and height are tested alone
    EXPECT_EQ(options.VideoOptions()->FrameRate()->num(), 24000);
    EXPECT_EQ(options.VideoOptions()->FrameRate()->den(), 1001);
    EXPECT_EQ(options.VideoOptions()->FrameAspectRatio(), 1.3333334f);
}

TEST(CustomVideoProfile, SingleThreadedEncoders) {
    const std::pair<TCustomVideoEncoder, int> cases[] = {
        {TAVCustomVideoProfile::H263, 1}, {TAVCustomVideoProfile::WMV2, 1},  {TAVCustomVideoProfile::RV20, 1},
        {TAVCustomVideoProfile::FLV, 1},  {TAVCustomVideoProfile::MPEG4, 4}, {TAVCustomVideoProfile::XVID, 4},
    };
    for (const auto& [encoder, threads] : cases) {
        TAVCustomVideoProfile profile;
        profile.SetVideoEncoder(encoder);
        TAVConvertOptions options;
        options.SetThreadCount(4);
        profile.Apply(&options);
        EXPECT_EQ(options.ThreadCount(), threads) << profile.VideoEncoderName().toStdString();
    }
}

TEST(CustomAudioProfile, StreamCopyOnlyDisablesVideoAndSubtitles) {
    TAVCustomAudioProfile profile;
    profile.SetAudioEncoder(TAVCustomAudioProfile::MP3);
    profile.SetFormat(TAVCustomAudioProfile::F_MKV);
    profile.SetAudioBitrate(192);
    profile.SetOptions({"ar=44100"});
    TAVConvertOptions options;
    options.AudioOptions()->SetAudioStreamCopy(true);
    profile.Apply(&options);
    EXPECT_TRUE(options.VideoOptions()->VideoDisable());
    EXPECT_TRUE(options.SubtitleOptions()->SubtitleDisable());
    EXPECT_EQ(options.AudioOptions()->EncoderAudioCodecName(), "");
    EXPECT_EQ(options.OutputFormat(), "");
    EXPECT_EQ(options.AudioOptions()->Bitrate(), 0);
    EXPECT_TRUE(options.CodecOptions().isEmpty());
}

TEST(CustomAudioProfile, BitrateFormatAndChannels) {
    const std::tuple<double, int> bitrates[] = {{7.4, 7400}, {12.2, 12200}, {128, 128000}, {0, 0}};
    for (const auto& [kbps, bps] : bitrates) {
        TAVCustomAudioProfile profile;
        profile.SetAudioBitrate(kbps);
        profile.SetFormat(TAVCustomAudioProfile::F_MKV);
        profile.SetAudioEncoder(TAVCustomAudioProfile::AMR_NB);
        TAVConvertOptions options;
        options.SetOutputFormat("kept?");
        profile.Apply(&options);
        EXPECT_EQ(options.AudioOptions()->Bitrate(), bps) << kbps;
        EXPECT_EQ(options.OutputFormat(), "matroska");
        EXPECT_EQ(options.AudioOptions()->AudioChannels(), 1);
        EXPECT_EQ(options.AudioOptions()->EncoderAudioCodecName(), "libopencore_amrnb");
    }
    TAVCustomAudioProfile none;
    TAVConvertOptions options;
    options.SetOutputFormat("mp4");
    none.Apply(&options);
    EXPECT_EQ(options.OutputFormat(), "mp4"); // F_NONE writes nothing
}

TEST(CustomProfiles, OutOfRangeEnumerationIsAnInternalError) {
    TAVCustomVideoProfile profile;
    profile.SetVideoEncoder(static_cast<TCustomVideoEncoder>(42));
    TAVConvertOptions options;
    try {
        profile.Apply(&options);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Converter/AVProfile"), std::string::npos) << e.what();
    }
}

TEST(CustomVideoProfile, FrameSizeAndDisplayHelpers) {
    const std::tuple<int, int, TAVFrameSize> sizes[] = {
        {852, 480, TAVCustomVideoProfile::fsWvga},    {1000, 1000, TAVCustomVideoProfile::fsOriginal},
        {0, 0, TAVCustomVideoProfile::fsOriginal},    {1280, 720, TAVCustomVideoProfile::fsHd720},
        {1440, 1080, TAVCustomVideoProfile::fsMceHd}, {320, 0, TAVCustomVideoProfile::fsOriginal},
    };
    for (const auto& [w, h, size] : sizes) {
        TAVCustomVideoProfile p;
        p.SetFrameWidth(w);
        p.SetFrameHeight(h);
        EXPECT_EQ(p.FrameSize(), size) << w << "x" << h;
    }
    TAVCustomVideoProfile p;
    const std::pair<TCustomFrameRate, double> rates[] = {{TAVCustomVideoProfile::r2397, 23.97},
                                                         {TAVCustomVideoProfile::r1499, 14.99},
                                                         {TAVCustomVideoProfile::rOriginal, 0},
                                                         {TAVCustomVideoProfile::r30, 30}};
    for (const auto& [rate, value] : rates) {
        p.SetFrameRate(rate);
        EXPECT_DOUBLE_EQ(p.FrameRateValue(), value);
    }
    p.SetVideoEncoder(TAVCustomVideoProfile::MSMPEGV3);
    p.SetAudioEncoder(TAVCustomAudioProfile::PCM_S16LE);
    EXPECT_EQ(p.VideoEncoderName(), "MSMPEGV3");
    EXPECT_EQ(p.AudioEncoderName(), "PCM_S16LE");
    EXPECT_STREQ(FrameSizeTable[TAVCustomVideoProfile::fsHd480].Caption, "hd480(852x480)");
}

TEST(TargetProfiles, VcdFilmUsesNtscSizeAndFilmRateAndAppendsGopEachTime) {
    TAVVcdProfile vcd;
    vcd.SetTarget(TAVTargetProfile::film);
    TAVConvertOptions options;
    vcd.Apply(&options);
    EXPECT_EQ(options.VideoOptions()->FrameWidth(), 352);
    EXPECT_EQ(options.VideoOptions()->FrameHeight(), 240);
    EXPECT_EQ(options.VideoOptions()->FrameRate()->num(), 24000);
    EXPECT_EQ(options.VideoOptions()->FrameRate()->den(), 1001);
    EXPECT_EQ(options.VideoOptions()->EncoderVideoCodecName(), "mpeg1video");
    EXPECT_EQ(options.AudioOptions()->EncoderAudioCodecName(), "mp2");
    EXPECT_EQ(options.OutputFormat(), "vcd");
    EXPECT_EQ(options.VideoOptions()->Bitrate(), 1150000);
    EXPECT_EQ(options.AudioOptions()->Bitrate(), 224000);
    EXPECT_EQ(options.AudioOptions()->AudioSampleRate(), 44100);
    EXPECT_EQ(options.AudioOptions()->AudioChannels(), 2);
    EXPECT_FLOAT_EQ(options.MuxerOptions()->MuxPreload(), 0.44f);
    EXPECT_EQ(options.CodecOptions(), QStringList({"g=18", "maxrate=1150000", "minrate=1150000",
                                                   "bufsize=327680", "packetsize=2324", "muxrate=1411200"}));
    vcd.Apply(&options);
    EXPECT_EQ(options.CodecOptions().count("g=18"), 2);
    EXPECT_EQ(options.CodecOptions().size(), 7);
}

TEST(TargetProfiles, SvcdDvdDvAndDv50) {
    TAVSVcdProfile svcd;
    TAVConvertOptions s;
    s.AudioOptions()->SetAudioChannels(6);
    svcd.Apply(&s);
    EXPECT_EQ(s.VideoOptions()->FrameWidth(), 480);
    EXPECT_EQ(s.VideoOptions()->FrameHeight(), 576);
    EXPECT_EQ(s.CodecOptions().join(';'),
              "g=15;maxrate=2516000;minrate=0;bufsize=1835008;flags=+scan_offset;packetsize=2324");
    EXPECT_EQ(s.AudioOptions()->AudioChannels(), 6); // SVCD leaves the channels alone
    EXPECT_EQ(s.VideoOptions()->FrameRate()->num(), 25);

    TAVDvdProfile dvd;
    dvd.SetTarget(TAVTargetProfile::ntsc);
    TAVConvertOptions d;
    dvd.Apply(&d);
    EXPECT_EQ(d.OutputFormat(), "dvd");
    EXPECT_EQ(d.AudioOptions()->EncoderAudioCodecName(), "ac3");
    EXPECT_EQ(d.VideoOptions()->FrameHeight(), 480);
    EXPECT_EQ(d.VideoOptions()->FrameRate()->num(), 30000);
    EXPECT_EQ(d.AudioOptions()->AudioSampleRate(), 48000);
    EXPECT_EQ(d.CodecOptions().join(';'),
              "g=18;maxrate=9000000;minrate=0;bufsize=1835008;packetsize=2048;muxrate=10080000");

    const std::tuple<TAVTarget, int, int> dv_cases[] = {
        {TAVTargetProfile::pal, 576, 0}, {TAVTargetProfile::ntsc, 480, 7}, {TAVTargetProfile::film, 480, 7}};
    for (const auto& [target, height, pixel_format] : dv_cases) {
        TAVDvProfile dv;
        dv.SetTarget(target);
        TAVConvertOptions o;
        dv.Apply(&o);
        EXPECT_EQ(o.OutputFormat(), "dv");
        EXPECT_EQ(o.VideoOptions()->FrameHeight(), height);
        EXPECT_EQ(o.VideoOptions()->PixelFormat, pixel_format);
        EXPECT_EQ(o.VideoOptions()->EncoderVideoCodecName(), ""); // the dv muxer's defaults
        EXPECT_EQ(o.AudioOptions()->AudioChannels(), 2);
    }
    TAVDv50Profile dv50;
    TAVConvertOptions o;
    dv50.Apply(&o);
    EXPECT_EQ(o.VideoOptions()->PixelFormat, 4);
    EXPECT_EQ(o.OutputFormat(), "");
    EXPECT_EQ(o.VideoOptions()->FrameRate()->num(), 25);
}

TEST(TargetProfiles, ApplyProfileWritesIntoTheConvertersOptions) {
    TAVDvdProfile dvd;
    TAVConverter converter;
    EXPECT_TRUE(ApplyProfile(dvd, converter));
    EXPECT_EQ(converter.ConvertOptions()->OutputFormat(), "dvd");
    EXPECT_EQ(converter.ConvertOptions()->VideoOptions()->FrameWidth(), 720);
}

TEST(TargetProfiles, ConstructorValues) {
    TAVVcdProfile vcd;
    TAVSVcdProfile svcd;
    TAVDvdProfile dvd;
    TAVDvProfile dv;
    TAVDv50Profile dv50;
    TAVImageProfile image;
    TAVX264Profile x264;
    const std::tuple<TAVProfile*, const char*, const char*> cases[] = {
        {&vcd, "VCD", ".mpg"},          {&svcd, "SVCD", ".mpg"},
        {&dvd, "DVD", ".vob"},          {&dv, "DV", ".dv"},
        {&dv50, "DV50", ".dv"},         {&image, "Image Sequence Profile", ""},
        {&x264, "H264 Profile", ".mp4"}};
    for (const auto& [profile, description, extension] : cases) {
        EXPECT_EQ(profile->Description(), description);
        EXPECT_EQ(profile->Extension(), extension);
        EXPECT_EQ(profile->Category(), "");
    }
    EXPECT_EQ(vcd.Target(), TAVTargetProfile::pal);
    EXPECT_EQ(x264.preset(), TAVX264Profile::basic);
}

TEST(X264Profile, LosslessPresetsSkipBFramesAndTrellisAndSetCqp) {
    TAVX264Profile x264;
    x264.SetPreset(TAVX264Profile::LosslessFast);
    TAVConvertOptions options;
    x264.Apply(&options);
    const QStringList lines = options.CodecOptions();
    EXPECT_EQ(lines.size(), 20);
    EXPECT_TRUE(lines.contains("cqp=0"));
    EXPECT_TRUE(lines.contains("wpredp=0"));
    EXPECT_TRUE(lines.contains("partitions=-parti8x8+parti4x4+partp8x8-partp4x4-partb8x8"));
    for (const char* absent : {"bf", "refs", "trellis"})
        EXPECT_TRUE(lines.filter(QRegularExpression(QString("^") + absent + "=")).isEmpty()) << absent;

    x264.SetPreset(TAVX264Profile::Best);
    TAVConvertOptions best;
    x264.Apply(&best);
    EXPECT_TRUE(best.CodecOptions().contains("me_method=tesa"));
    EXPECT_TRUE(best.CodecOptions().contains("refs=16"));
    EXPECT_FALSE(best.CodecOptions().contains("cqp=0"));
}

TEST(ImageProfile, ApplyOnlySetsOneThreadAndNamesANumberedSequence) {
    TAVImageProfile image;
    TAVConvertOptions options;
    options.SetThreadCount(8);
    image.Apply(&options);
    EXPECT_EQ(options.ThreadCount(), 1);
    EXPECT_EQ(options.OutputFormat(), "");

    int start = -1;
    EXPECT_EQ(ImageSequencePattern("/out/clip1.jpg", &start), "/out/clip%d.jpg");
    EXPECT_EQ(start, 1);
    EXPECT_EQ(ImageSequencePattern("/out/100%/shot07.png", &start), "/out/100%%/shot%d.png");
    EXPECT_EQ(start, 7);
    start = -1;
    EXPECT_EQ(ImageSequencePattern("/out/img%03d.png", &start), "/out/img%03d.png");
    EXPECT_EQ(start, -1);
    EXPECT_EQ(ImageSequencePattern("/out/2024/clip.bmp", &start), "/out/2024/clip%d.bmp");
    EXPECT_EQ(start, 1);
}

TEST(CommaText, RoundTripsAndFollowsTheQuotingRule) {
    const std::pair<QStringList, QString> cases[] = {
        {{}, ""},
        {{"maxrate=1000000", "qmin=3"}, "maxrate=1000000,qmin=3"},
        {{"title=a b", "x=\"q\"", "list=1,2"}, "\"title=a b\",\"x=\"\"q\"\"\",\"list=1,2\""},
        {{""}, "\"\""},
        {{"a", ""}, "a,"},
    };
    for (const auto& [lines, text] : cases) {
        EXPECT_EQ(ToCommaText(lines), text);
        EXPECT_EQ(FromCommaText(text), lines) << text.toStdString();
    }
    // Blanks and line breaks outside quotes separate items too.
    EXPECT_EQ(FromCommaText("a=1\r\nb=2  c=3 , d"), QStringList({"a=1", "b=2", "c=3", "d"}));
}

} // namespace vc
