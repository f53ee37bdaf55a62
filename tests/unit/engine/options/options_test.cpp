#include "engine/options/convert_options.h"
#include "engine/options/string_lists.h"
#include "platform/error.h"
#include "support/recording_message_sink.h"

#include <gtest/gtest.h>

#include <QMetaClassInfo>
#include <QMetaProperty>

#include <climits>
#include <limits>

namespace vc {
namespace {

QStringList PublishedNames(const QObject& object) {
    QStringList names;
    const QMetaObject* meta = object.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        names << QString::fromLatin1(meta->property(i).name());
    return names;
}

QString DeclaredDefault(const QObject& object, const char* property) {
    const QMetaObject* meta = object.metaObject();
    const int index = meta->indexOfClassInfo(QByteArray("Default.").append(property));
    return index < 0 ? QString() : QString::fromLatin1(meta->classInfo(index).value());
}

QStringList Lines(int count, const QString& text = QStringLiteral("16")) {
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << text;
    return lines;
}

} // namespace

TEST(ConvertOptions, ConstructorValues) {
    TAVConvertOptions o;
    EXPECT_EQ(o.RecordingTime(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(o.ThreadCount(), 1);
    EXPECT_EQ(o.AudioOptions()->AudioVolume(), 256);
    EXPECT_FLOAT_EQ(o.AudioOptions()->AudioDriftThreshold(), 0.1f);
    EXPECT_FLOAT_EQ(o.AudioOptions()->AudioQScale(), -99999.0f);
    EXPECT_EQ(o.AudioOptions()->MaxFrames(), INT_MAX);
    EXPECT_EQ(o.AudioOptions()->AudioSampleFmt(), TAudioOptions::sfAuto);
    EXPECT_EQ(o.VideoOptions()->IntraDcPrecision(), 8);
    EXPECT_EQ(o.VideoOptions()->VideoSyncMethod(), -1);
    EXPECT_EQ(o.VideoOptions()->TopFieldFirst(), -1);
    EXPECT_EQ(o.VideoOptions()->PixelFormat, -1);
    EXPECT_EQ(o.VideoOptions()->MaxFrames(), INT_MAX);
    EXPECT_EQ(o.VideoOptions()->FrameRate()->num(), 0);
    EXPECT_EQ(o.VideoOptions()->FrameRate()->den(), 0);
    EXPECT_FLOAT_EQ(o.MuxerOptions()->MuxPreload(), 0.5f);
    EXPECT_FLOAT_EQ(o.MuxerOptions()->MuxMaxDelay(), 0.7f);
    EXPECT_FLOAT_EQ(o.DtsDeltaThreshold, 50.0f);
    EXPECT_EQ(o.ScalerFlags, 4);
    EXPECT_EQ(o.DataMaxFrames, INT_MAX);
}

// The order of published properties is the order of the stored XML form.
TEST(ConvertOptions, PublishedPropertiesInDeclaredOrderWithDeclaredDefaults) {
    TAVConvertOptions o;
    EXPECT_EQ(PublishedNames(o).join(','),
              "AudioOptions,SubtitleOptions,VideoOptions,MuxerOptions,GrabOptions,FilterOptions,MetaData,"
              "CodecOptions,OutputFormat,InputFormat,StartTime,RecordingTime,ThreadCount,StreamMaps");
    EXPECT_EQ(PublishedNames(*o.AudioOptions()).join(','),
              "AudioChannels,AudioSampleRate,AudioVolume,AudioSyncMethod,AudioDisable,AudioSampleFmt,"
              "AudioStreamCopy,EncoderAudioCodecName,DecoderAudioCodecName,AudioCodecTag,AudioLanguage,"
              "AudioQScale,AudioDriftThreshold,Bitrate,MaxFrames");
    EXPECT_EQ(PublishedNames(*o.VideoOptions()).join(','),
              "FrameWidth,FrameHeight,EncoderVideoCodecName,DecoderVideoCodecName,VideoDisable,"
              "VideoStreamCopy,VideoCodecTag,VideoLanguage,IntraOnly,VideoQscale,SameQuality,"
              "VideoRcOverrideString,IntraDcPrecision,VideoSyncMethod,TopFieldFirst,ForceFPS,IntraMatrix,"
              "InterMatrix,FrameRate,FrameAspectRatio,MeThreshold,Deinterlace,Pass,MaxFrames,Bitrate,"
              "ForceKeyFrames");
    EXPECT_EQ(PublishedNames(*o.SubtitleOptions()).join(','),
              "SubtitleLanguage,SubtitleCodecName,SubtitleDisable,SubtitleStreamCopy,SubtitleCodecTag");
    EXPECT_EQ(PublishedNames(*o.MuxerOptions()).join(','),
              "MuxPreload,MuxMaxDelay,AudioBitstreamFilters,SubtitleBitstreamFilters,VideoBitstreamFilters");
    EXPECT_EQ(PublishedNames(*o.GrabOptions()).join(','), "InputSync");
    EXPECT_EQ(PublishedNames(*o.FilterOptions()).join(','), "VideoFilters,AudioFilters");
    EXPECT_EQ(PublishedNames(*o.VideoOptions()->FrameRate()).join(','), "num,den");

    EXPECT_EQ(DeclaredDefault(o, "ThreadCount"), "1");
    EXPECT_EQ(DeclaredDefault(*o.AudioOptions(), "MaxFrames"), "2147483647");
    EXPECT_EQ(DeclaredDefault(*o.VideoOptions(), "IntraDcPrecision"), "8");
    EXPECT_EQ(DeclaredDefault(*o.VideoOptions(), "MaxFrames"), ""); // none: always stored
    EXPECT_EQ(DeclaredDefault(*o.VideoOptions()->FrameRate(), "num"), "25");
    EXPECT_EQ(DeclaredDefault(*o.VideoOptions()->FrameRate(), "den"), "1");
    // The enum is reflected by name for the stored form.
    const QMetaProperty fmt = o.AudioOptions()->metaObject()->property(
        o.AudioOptions()->metaObject()->indexOfProperty("AudioSampleFmt"));
    ASSERT_TRUE(fmt.isEnumType());
    EXPECT_STREQ(fmt.enumerator().valueToKey(TAudioOptions::sfDBL), "sfDBL");
}

TEST(ConvertOptions, AssignCopiesPublishedStateButNotForceFpsNorEngineMembers) {
    TAVConvertOptions source;
    source.AudioOptions()->SetAudioSampleRate(22050);
    source.AudioOptions()->SetAudioSampleFmt(TAudioOptions::sfFLT);
    source.AudioOptions()->SetEncoderAudioCodecName("mp2");
    source.SubtitleOptions()->SetSubtitleCodecName("mov_text");
    TVideoOptions* sv = source.VideoOptions();
    sv->SetFrameWidth(320);
    sv->SetTopFieldFirst(1);
    sv->SetForceFPS(true);
    sv->SetPass(2);
    sv->SetIntraMatrix(Lines(64, "8"));
    sv->SetInterMatrix(Lines(64, "9"));
    sv->FrameRate()->SetNum(30000);
    sv->FrameRate()->SetDen(1001);
    sv->SetForceKeyFrames({"1", "2"});
    sv->PixelFormat = 0;
    sv->VideoDiscard = 8;
    source.MuxerOptions()->SetVideoBitstreamFilters({"h264_mp4toannexb"});
    source.GrabOptions()->SetInputSync(true);
    source.FilterOptions()->SetVideoFilters("hflip");
    source.SetMetaData({"title=x"});
    source.SetCodecOptions({"g=250"});
    source.SetOutputFormat("mp4");
    source.SetInputFormat("mpeg");
    source.SetStartTime(2000000);
    source.SetRecordingTime(3000000);
    source.SetThreadCount(4);
    source.SetStreamMaps({"0=1"});
    source.ScalerFlags = 1;
    source.VideoBytes = 99;

    TAVConvertOptions target;
    target.Assign(&source);
    TVideoOptions* tv = target.VideoOptions();
    EXPECT_EQ(target.AudioOptions()->AudioSampleRate(), 22050);
    EXPECT_EQ(target.AudioOptions()->AudioSampleFmt(), TAudioOptions::sfFLT);
    EXPECT_EQ(target.AudioOptions()->EncoderAudioCodecName(), "mp2");
    EXPECT_EQ(target.SubtitleOptions()->SubtitleCodecName(), "mov_text");
    EXPECT_EQ(tv->FrameWidth(), 320);
    EXPECT_EQ(tv->TopFieldFirst(), 1);
    EXPECT_FALSE(tv->ForceFPS());
    EXPECT_EQ(tv->Pass(), 2);
    EXPECT_EQ(tv->IntraMatrix(), Lines(64, "8"));
    EXPECT_EQ(tv->InterMatrixValues[63], 9);
    EXPECT_EQ(tv->FrameRate()->num(), 30000);
    EXPECT_EQ(tv->FrameRate()->den(), 1001);
    EXPECT_EQ(tv->ForceKeyFrames(), QStringList({"1", "2"}));
    EXPECT_EQ(tv->PixelFormat, 0);
    EXPECT_EQ(tv->VideoDiscard, 8);
    EXPECT_EQ(target.MuxerOptions()->VideoBitstreamFilters(), QStringList{"h264_mp4toannexb"});
    EXPECT_TRUE(target.GrabOptions()->InputSync());
    EXPECT_EQ(target.FilterOptions()->VideoFilters(), "hflip");
    EXPECT_EQ(target.MetaData(), QStringList{"title=x"});
    EXPECT_EQ(target.CodecOptions(), QStringList{"g=250"});
    EXPECT_EQ(target.OutputFormat(), "mp4");
    EXPECT_EQ(target.InputFormat(), "mpeg");
    EXPECT_EQ(target.StartTime(), 2000000);
    EXPECT_EQ(target.RecordingTime(), 3000000);
    EXPECT_EQ(target.ThreadCount(), 4);
    EXPECT_EQ(target.StreamMaps(), QStringList{"0=1"});
    EXPECT_EQ(target.ScalerFlags, 4);
    EXPECT_EQ(target.VideoBytes, 0);
    // The sub-objects are copied, not shared.
    EXPECT_NE(target.VideoOptions(), source.VideoOptions());

    // A target that forces its rate keeps doing so.
    TAVConvertOptions forcing;
    forcing.VideoOptions()->SetForceFPS(true);
    forcing.Assign(&target);
    EXPECT_TRUE(forcing.VideoOptions()->ForceFPS());
}

TEST(ConvertOptions, SampleFormatAutoNeverOverwrites) {
    TAVConvertOptions a;
    a.AudioOptions()->SetAudioSampleFmt(TAudioOptions::sfS16);
    a.AudioOptions()->SetAudioSampleFmt(TAudioOptions::sfAuto);
    EXPECT_EQ(a.AudioOptions()->AudioSampleFmt(), TAudioOptions::sfS16);
    TAVConvertOptions fresh;
    a.Assign(&fresh);
    EXPECT_EQ(a.AudioOptions()->AudioSampleFmt(), TAudioOptions::sfS16);
}

TEST(VideoOptions, PassAndTopFieldFirstRules) {
    test::RecordingMessageSink sink;
    TVideoOptions v;
    v.SetPass(3);
    EXPECT_EQ(v.Pass(), 0);
    v.SetPass(-1);
    EXPECT_EQ(v.Pass(), 0);
    EXPECT_EQ(sink.Texts(), std::vector<std::string>(2, "pass number can be only 0, 1 or 2"));
    EXPECT_EQ(sink.Messages()[0].caption, "Error");
    v.SetPass(1);
    EXPECT_EQ(v.Pass(), 1);

    for (int good : {-1, 0, 1}) {
        v.SetTopFieldFirst(good);
        EXPECT_EQ(v.TopFieldFirst(), good);
    }
    try {
        v.SetTopFieldFirst(2);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid TopFieldFirst Value!");
    }
    EXPECT_EQ(v.TopFieldFirst(), 1);
}

TEST(VideoOptions, MatrixValidation) {
    test::RecordingMessageSink sink;
    TVideoOptions v;
    QStringList good = Lines(64);
    good[0] = "70000"; // truncated to 16 bits
    good[1] = " 0x20 ";
    v.SetIntraMatrix(good);
    EXPECT_EQ(v.IntraMatrix(), good);
    EXPECT_EQ(v.IntraMatrixValues[0], 70000 & 0xFFFF);
    EXPECT_EQ(v.IntraMatrixValues[1], 32);
    EXPECT_EQ(v.InterMatrixValues[0], 0); // each list has its own table
    EXPECT_TRUE(sink.Texts().empty());

    v.SetIntraMatrix(Lines(63));
    EXPECT_EQ(v.IntraMatrix(), good);
    EXPECT_EQ(sink.Texts().back(), "matrix element count should be equal 64");

    QStringList fraction = Lines(64, "5");
    fraction[3] = "16.5";
    v.SetIntraMatrix(fraction);
    EXPECT_EQ(v.IntraMatrix(), good);
    EXPECT_EQ(sink.Texts().back(), "Invalid matrix element");
    // The lines before the bad one already reached the table; the rest did not.
    EXPECT_EQ(v.IntraMatrixValues[2], 5);
    EXPECT_EQ(v.IntraMatrixValues[3], 16);

    QStringList word = Lines(64);
    word[63] = "x";
    v.SetInterMatrix(word);
    EXPECT_TRUE(v.InterMatrix().isEmpty());
    EXPECT_EQ(sink.Texts().size(), 3u);

    v.SetIntraMatrix({});
    EXPECT_TRUE(v.IntraMatrix().isEmpty());
    EXPECT_EQ(sink.Texts().size(), 3u);
}

TEST(ConvertOptions, SetCodecOptionReplacesOrAppends) {
    TAVConvertOptions o;
    o.SetCodecOptions({"flags=+loop", "g=300", "title=a=b"});
    o.SetCodecOption("g", "250");
    o.SetCodecOption("G", "251"); // same name regardless of case: replaced, not duplicated
    o.SetCodecOption("bf", "0");
    o.SetCodecOption("title", "c");
    EXPECT_EQ(o.CodecOptions(), QStringList({"flags=+loop", "g=251", "title=c", "bf=0"}));
}

TEST(Persistent, AssignFromForeignClassOrNilThrows) {
    TVideoOptions video;
    TAudioOptions audio;
    const std::pair<const TPersistent*, const char*> cases[] = {
        {&audio, "Cannot assign a TAudioOptions to a TVideoOptions"},
        {nullptr, "Cannot assign a nil to a TVideoOptions"},
    };
    for (const auto& [source, message] : cases) {
        try {
            video.Assign(source);
            ADD_FAILURE() << "no exception for " << message;
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    TAVConvertOptions options;
    EXPECT_THROW(options.VideoOptions()->FrameRate()->Assign(&audio), Error);
}

TEST(StringLists, NameValueAndStreamMaps) {
    const NameValue nv = SplitNameValue("comment=a=b");
    EXPECT_EQ(nv.name, "comment");
    EXPECT_EQ(nv.value, "a=b");
    EXPECT_FALSE(SplitNameValue("plain").has_separator);
    EXPECT_TRUE(SplitNameValue("empty=").has_separator);

    const auto maps = ParseStreamMaps({"0=1", " 1 = 0 ", ""});
    ASSERT_EQ(maps.size(), 2u);
    EXPECT_EQ(maps[0].file_index, 0);
    EXPECT_EQ(maps[0].stream_index, 1);
    EXPECT_EQ(maps[1].file_index, 1);
    EXPECT_EQ(maps[1].stream_index, 0);

    for (const char* bad : {"0:1", "0=", "a=1", "0=1.5", "01"}) {
        try {
            ParseStreamMaps({"0=0", bad});
            ADD_FAILURE() << "accepted " << bad;
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(std::string("\"") + bad + "\""), std::string::npos)
                << e.what();
        }
    }
}

} // namespace vc
