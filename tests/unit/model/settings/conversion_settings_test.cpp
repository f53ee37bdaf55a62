#include "model/persistence/omni_xml_reader.h"
#include "model/persistence/omni_xml_writer.h"
#include "model/settings/conversion_settings.h"
#include "property_compare.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <random>

namespace vc::test {

namespace {

// The stored request of a plain file conversion: source, target, profile, category, two codec
// options, the container, and the options as constructed otherwise.
TConversionSettings* MakeExample(TConversionSettings& s) {
    s.SetSourceFiles({"D:\\Video\\clip.avi"});
    s.SetTargetFile("E:\\Out\\clip.mp4");
    s.SetProfile(QString::fromUtf8("MP4 视频 (H.264)"));
    s.SetCategoryId(1);
    s.ConvertOptions()->SetCodecOptions({"vcodec=libx264", "ab=128000"});
    s.ConvertOptions()->SetOutputFormat("mp4");
    s.SetDuration(63.48);
    s.SetSourceFileSize(10485760);
    return &s;
}

const char kExample[] =
    "<data PropFormat=\"node\"><TConversionSettings>"
    "<SourceFiles Count=\"1\"><l0>D:\\Video\\clip.avi</l0></SourceFiles>"
    "<SourceType>stFile</SourceType><DvdTitle>0</DvdTitle><DvdChapter>0</DvdChapter>"
    "<DvdThrough>0</DvdThrough><DvdAngle>0</DvdAngle><TargetFile>E:\\Out\\clip.mp4</TargetFile>"
    "<Profile>MP4 视频 (H.264)</Profile><CategoryId>1</CategoryId>"
    "<ConvertOptions>"
    "<AudioOptions><AudioChannels>0</AudioChannels><AudioSampleRate>0</AudioSampleRate>"
    "<AudioVolume>256</AudioVolume><AudioSyncMethod>0</AudioSyncMethod><AudioDisable>0</AudioDisable>"
    "<AudioSampleFmt>sfAuto</AudioSampleFmt><AudioStreamCopy>0</AudioStreamCopy>"
    "<AudioCodecTag>0</AudioCodecTag><AudioQScale>-99999</AudioQScale>"
    "<AudioDriftThreshold>0.100000001490116</AudioDriftThreshold><Bitrate>0</Bitrate></AudioOptions>"
    "<SubtitleOptions><SubtitleDisable>0</SubtitleDisable><SubtitleStreamCopy>0</SubtitleStreamCopy>"
    "<SubtitleCodecTag>0</SubtitleCodecTag></SubtitleOptions>"
    "<VideoOptions><FrameWidth>0</FrameWidth><FrameHeight>0</FrameHeight><VideoDisable>0</VideoDisable>"
    "<VideoStreamCopy>0</VideoStreamCopy><VideoCodecTag>0</VideoCodecTag><IntraOnly>0</IntraOnly>"
    "<SameQuality>0</SameQuality><VideoSyncMethod>-1</VideoSyncMethod><TopFieldFirst>-1</TopFieldFirst>"
    "<ForceFPS>0</ForceFPS><IntraMatrix Count=\"0\"/><InterMatrix Count=\"0\"/>"
    "<FrameRate><num>0</num><den>0</den></FrameRate><MeThreshold>0</MeThreshold>"
    "<Deinterlace>0</Deinterlace><Pass>0</Pass><MaxFrames>2147483647</MaxFrames><Bitrate>0</Bitrate>"
    "<ForceKeyFrames Count=\"0\"/></VideoOptions>"
    "<MuxerOptions><MuxPreload>0.5</MuxPreload><MuxMaxDelay>0.699999988079071</MuxMaxDelay>"
    "<AudioBitstreamFilters Count=\"0\"/><SubtitleBitstreamFilters Count=\"0\"/>"
    "<VideoBitstreamFilters Count=\"0\"/></MuxerOptions>"
    "<GrabOptions><InputSync>0</InputSync></GrabOptions>"
    "<MetaData Count=\"0\"/><CodecOptions "
    "Count=\"2\"><l0>vcodec=libx264</l0><l1>ab=128000</l1></CodecOptions>"
    "<OutputFormat>mp4</OutputFormat><RecordingTime>9223372036854775807</RecordingTime>"
    "<StreamMaps Count=\"0\"/></ConvertOptions>"
    "<Duration>63.48</Duration><SourceFileSize>10485760</SourceFileSize>"
    "</TConversionSettings></data>";

QStringList Matrix(int base) {
    QStringList lines;
    for (int i = 0; i < 64; ++i)
        lines << QString::number(base + i);
    return lines;
}

// Every property away from its construction value and its declared default.
void FillEverything(TConversionSettings& s) {
    s.SetSourceFiles({"a", "", "c", QString::fromUtf8("D:\\视频\\片段 1.avi")});
    s.SetSourceType(TConversionSettings::stDvd);
    s.SetDvdDriver("E");
    s.SetDvdTitle(INT_MAX);
    s.SetDvdChapter(-1);
    s.SetDvdThrough(7);
    s.SetDvdAngle(2);
    s.SetDvdVolume(QString::fromUtf8("我的光盘"));
    s.SetTargetFolder("/home/u/Conversion");
    s.SetTargetFile(".mp4");
    s.SetProfile("iPod <Video> & \"more\"");
    s.SetCategoryId(-3);
    s.SetDuration(1e-300);
    s.SetSourceFileSize(LLONG_MAX);
    TAVConvertOptions* o = s.ConvertOptions();
    TAudioOptions* a = o->AudioOptions();
    a->SetAudioChannels(6);
    a->SetAudioSampleRate(48000);
    a->SetAudioVolume(512);
    a->SetAudioSyncMethod(2);
    a->SetAudioDisable(true);
    a->SetAudioSampleFmt(TAudioOptions::sfDBL);
    a->SetAudioStreamCopy(true);
    a->SetEncoderAudioCodecName("aac");
    a->SetDecoderAudioCodecName("mp3float");
    a->SetAudioCodecTag(0x6134706d);
    a->SetAudioLanguage("chi");
    a->SetAudioQScale(FLT_MAX);
    a->SetAudioDriftThreshold(FLT_MIN);
    a->SetBitrate(128000);
    a->SetMaxFrames(0);
    TVideoOptions* v = o->VideoOptions();
    v->SetFrameWidth(1920);
    v->SetFrameHeight(1080);
    v->SetEncoderVideoCodecName("libx264");
    v->SetDecoderVideoCodecName("h264");
    v->SetVideoDisable(true);
    v->SetVideoStreamCopy(true);
    v->SetVideoCodecTag(1);
    v->SetVideoLanguage("eng");
    v->SetIntraOnly(true);
    v->SetVideoQscale(-0.44f);
    v->SetSameQuality(true);
    v->SetVideoRcOverrideString("0,100,2");
    v->SetIntraDcPrecision(10);
    v->SetVideoSyncMethod(2);
    v->SetTopFieldFirst(1);
    v->SetForceFPS(true);
    v->SetIntraMatrix(Matrix(8));
    v->SetInterMatrix(Matrix(16));
    v->FrameRate()->SetNum(30000);
    v->FrameRate()->SetDen(1001);
    v->SetFrameAspectRatio(16.0f / 9.0f);
    v->SetMeThreshold(3);
    v->SetDeinterlace(true);
    v->SetPass(2);
    v->SetMaxFrames(100);
    v->SetBitrate(INT_MIN + 1);
    v->SetForceKeyFrames({"", "1"});
    o->SubtitleOptions()->SetSubtitleLanguage("fre");
    o->SubtitleOptions()->SetSubtitleCodecName("mov_text");
    o->SubtitleOptions()->SetSubtitleDisable(true);
    o->SubtitleOptions()->SetSubtitleStreamCopy(true);
    o->SubtitleOptions()->SetSubtitleCodecTag(9);
    o->MuxerOptions()->SetMuxPreload(1e-7f);
    o->MuxerOptions()->SetMuxMaxDelay(1e20f);
    o->MuxerOptions()->SetAudioBitstreamFilters({"aac_adtstoasc"});
    o->MuxerOptions()->SetSubtitleBitstreamFilters({"", ""});
    o->MuxerOptions()->SetVideoBitstreamFilters({"h264_mp4toannexb", "dump_extra"});
    o->GrabOptions()->SetInputSync(true);
    o->FilterOptions()->SetVideoFilters("drawtext=text='Hello, 世界':x=10");
    o->FilterOptions()->SetAudioFilters("volume=2");
    o->SetMetaData({"title=片名", "comment=  spaced  "});
    o->SetCodecOptions({"b=1000000"});
    o->SetOutputFormat("matroska");
    o->SetInputFormat("mpeg");
    o->SetStartTime(-5);
    o->SetRecordingTime(0x7fffffff00000000LL);
    o->SetThreadCount(16);
    o->SetStreamMaps({"0=1", "0=0"});
}

} // namespace

TEST(ConversionSettings, ConstructionTrimmingAndDeepCopy) {
    TConversionSettings s;
    EXPECT_TRUE(s.SourceFiles().isEmpty());
    EXPECT_EQ(s.SourceType(), TConversionSettings::stFile);
    EXPECT_EQ(s.ConvertOptions()->ThreadCount(), 1);
    EXPECT_EQ(s.ConvertOptions()->RecordingTime(), LLONG_MAX);

    // Characters up to the space are trimmed; other blanks (U+3000, U+00A0) are kept.
    s.SetTargetFile(QString::fromUtf8(" \t\r\n\x01 E:\\out.mp4 \x1f"));
    EXPECT_EQ(s.TargetFile(), "E:\\out.mp4");
    s.SetTargetFolder(QString::fromUtf8("\u3000folder\u00a0 "));
    EXPECT_EQ(s.TargetFolder(), QString::fromUtf8("\u3000folder\u00a0"));
    s.SetProfile(" kept ");
    EXPECT_EQ(s.Profile(), " kept ");

    TConversionSettings source;
    FillEverything(source);
    TConversionSettings copy;
    copy.Assign(&source);
    // ForceFPS stays the target's own choice; everything else is copied.
    EXPECT_EQ(FirstDifference(&source, &copy), "ConvertOptions.VideoOptions.ForceFPS: true != false");
    copy.ConvertOptions()->VideoOptions()->SetForceFPS(true);
    EXPECT_EQ(FirstDifference(&source, &copy), "");
    // The copy owns its own list and options.
    source.ConvertOptions()->AudioOptions()->SetBitrate(1);
    source.SetSourceFiles({});
    EXPECT_EQ(copy.ConvertOptions()->AudioOptions()->Bitrate(), 128000);
    EXPECT_EQ(copy.SourceFiles().size(), 4);
}

TEST(ConversionSettings, AssignFromAnotherClassFails) {
    TConversionSettings s;
    TAVConvertOptions options;
    try {
        s.Assign(&options);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TAVConvertOptions to a TConversionSettings");
    }
    try {
        s.Assign(nullptr);
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Cannot assign a nil to a TConversionSettings");
    }
}

TEST(ConversionSettingsXml, ExampleDocumentByteForByte) {
    TConversionSettings s;
    EXPECT_EQ(TOmniXMLWriter::SaveToText(MakeExample(s)), kExample);
    TConversionSettings read;
    TOmniXMLReader::LoadFromText(&read, kExample);
    EXPECT_EQ(FirstDifference(&s, &read), "");
}

TEST(ConversionSettingsXml, EveryPropertyAwayFromItsDefaultSurvivesBothFormats) {
    RecordingMessageSink errors; // a setter that rejects a value would report here
    TConversionSettings s;
    FillEverything(s);
    for (TPropsFormat format : {TPropsFormat::pfNodes, TPropsFormat::pfAttributes}) {
        TConversionSettings read;
        TOmniXMLReader::LoadFromText(&read, TOmniXMLWriter::SaveToText(&s, format));
        EXPECT_EQ(FirstDifference(&s, &read), "");
    }
    EXPECT_TRUE(errors.Messages().empty());
}

TEST(ConversionSettingsXml, AbsentValuesAndEmptyLines) {
    TConversionSettings s;
    s.SetSourceFiles({"a", "", "c"});
    const std::string text = TOmniXMLWriter::SaveToText(&s);
    EXPECT_NE(text.find("<SourceFiles Count=\"3\"><l0>a</l0><l2>c</l2></SourceFiles>"), std::string::npos);
    EXPECT_EQ(text.find("Duration"), std::string::npos);
    EXPECT_EQ(text.find("SourceFileSize"), std::string::npos);

    TConversionSettings read;
    read.SetSourceFileSize(777);
    read.SetDuration(5);
    read.ConvertOptions()->SetThreadCount(8);
    TOmniXMLReader::LoadFromText(&read, text);
    EXPECT_EQ(read.SourceFiles(), QStringList({"a", "", "c"}));
    EXPECT_EQ(read.SourceFileSize(), 777);              // absent: unchanged
    EXPECT_EQ(read.Duration(), 0);                      // absent: zero
    EXPECT_EQ(read.ConvertOptions()->ThreadCount(), 1); // absent: its declared default
}

// Both frame-rate values at their declared defaults leave nothing to write, yet the element must
// stay: without it the reader would keep its own 0/0 ("as input") instead of 25/1.
TEST(ConversionSettingsXml, FrameRateAtItsDeclaredDefaultsComesBack) {
    TConversionSettings s;
    s.ConvertOptions()->VideoOptions()->FrameRate()->SetNum(25);
    s.ConvertOptions()->VideoOptions()->FrameRate()->SetDen(1);
    const std::string text = TOmniXMLWriter::SaveToText(&s);
    EXPECT_NE(text.find("<FrameRate/>"), std::string::npos);
    TConversionSettings read;
    TOmniXMLReader::LoadFromText(&read, text);
    EXPECT_EQ(read.ConvertOptions()->VideoOptions()->FrameRate()->num(), 25);
    EXPECT_EQ(read.ConvertOptions()->VideoOptions()->FrameRate()->den(), 1);
}

// Random requests: strings with markup, blanks, control characters and Chinese; integers at their
// limits; any finite single; doubles of up to 15 significant digits; lists with empty lines.
TEST(ConversionSettingsXml, RandomRequestsRoundTrip) {
    RecordingMessageSink errors;
    std::mt19937_64 rng(20110309);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char16_t alphabet[] = u" \t\r\n\x01\x1f<>&\"'=;,.-_/\\:aZ09é中文视频\u3000\U0001F600";
    auto random_string = [&] {
        QString s;
        const int length = pick(4) == 0 ? 0 : pick(12);
        for (int i = 0; i < length; ++i) {
            const int at = pick(static_cast<int>(std::size(alphabet)) - 1);
            if (QChar::isHighSurrogate(alphabet[at]) || QChar::isLowSurrogate(alphabet[at]))
                s += QString::fromUtf8("\U0001F600");
            else
                s += QChar(alphabet[at]);
        }
        return s;
    };
    auto random_list = [&] {
        QStringList list;
        for (int i = pick(5); i > 0; --i)
            list << (pick(3) == 0 ? QString() : random_string());
        return list;
    };
    const int interesting[] = {0, 1, -1, 8, 25, 256, INT_MAX, INT_MIN, INT_MIN + 1, 2147483647};
    auto random_int = [&] {
        return pick(2) ? interesting[pick(std::size(interesting))] : static_cast<int>(rng());
    };
    auto random_float = [&] {
        float f;
        do {
            const uint32_t bits = static_cast<uint32_t>(rng());
            std::memcpy(&f, &bits, sizeof f);
        } while (!std::isfinite(f));
        return f;
    };
    auto random_double = [&] {
        double d;
        do {
            const uint64_t bits = rng();
            std::memcpy(&d, &bits, sizeof d);
        } while (!std::isfinite(d));
        char text[40];
        std::snprintf(text, sizeof text, "%.14e", d); // 15 significant digits
        return std::strtod(text, nullptr);
    };

    for (int round = 0; round < 300; ++round) {
        TConversionSettings s;
        s.SetSourceFiles(random_list());
        s.SetSourceType(pick(2) ? TConversionSettings::stDvd : TConversionSettings::stFile);
        s.SetDvdDriver(random_string());
        s.SetDvdTitle(random_int());
        s.SetDvdChapter(random_int());
        s.SetDvdThrough(random_int());
        s.SetDvdAngle(random_int());
        s.SetDvdVolume(random_string());
        s.SetTargetFolder(random_string());
        s.SetTargetFile(random_string());
        s.SetProfile(random_string());
        s.SetCategoryId(random_int());
        s.SetDuration(pick(4) ? random_double() : 0);
        s.SetSourceFileSize(pick(4) ? static_cast<qint64>(rng()) : 0);
        TAVConvertOptions* o = s.ConvertOptions();
        o->AudioOptions()->SetAudioVolume(random_int());
        o->AudioOptions()->SetAudioSampleFmt(TAudioOptions::TAVAudioSampleFormat(pick(6)));
        o->AudioOptions()->SetAudioQScale(random_float());
        o->AudioOptions()->SetAudioDriftThreshold(pick(4) ? random_float() : 0.0f);
        o->AudioOptions()->SetMaxFrames(random_int());
        o->AudioOptions()->SetAudioLanguage(random_string());
        o->VideoOptions()->SetIntraDcPrecision(random_int());
        o->VideoOptions()->SetTopFieldFirst(pick(3) - 1);
        o->VideoOptions()->SetPass(pick(3));
        o->VideoOptions()->SetVideoQscale(random_float());
        o->VideoOptions()->SetFrameAspectRatio(random_float());
        o->VideoOptions()->SetForceFPS(pick(2));
        o->VideoOptions()->SetIntraMatrix(pick(2) ? Matrix(pick(100)) : QStringList());
        o->VideoOptions()->FrameRate()->SetNum(random_int());
        o->VideoOptions()->FrameRate()->SetDen(random_int());
        o->VideoOptions()->SetForceKeyFrames(random_list());
        o->MuxerOptions()->SetMuxPreload(random_float());
        o->MuxerOptions()->SetVideoBitstreamFilters(random_list());
        o->FilterOptions()->SetVideoFilters(random_string());
        o->SetMetaData(random_list());
        o->SetCodecOptions(random_list());
        o->SetStartTime(static_cast<qint64>(rng()));
        o->SetRecordingTime(pick(2) ? LLONG_MAX : LLONG_MIN);
        o->SetThreadCount(random_int());
        const TPropsFormat format = pick(2) ? TPropsFormat::pfNodes : TPropsFormat::pfAttributes;
        const std::string text = TOmniXMLWriter::SaveToText(&s, format);
        TConversionSettings read;
        TOmniXMLReader::LoadFromText(&read, text);
        ASSERT_EQ(FirstDifference(&s, &read), "") << "round " << round << ": " << text;
    }
    EXPECT_TRUE(errors.Messages().empty());
}

} // namespace vc::test
