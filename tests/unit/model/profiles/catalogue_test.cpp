#include "engine/options/convert_options.h"
#include "model/profiles/builtin_profiles.h"
#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"

#include <gtest/gtest.h>

#include <QPointer>
#include <map>

namespace vc {
namespace {

QStringList Descriptions(const std::vector<TAVProfile*>& profiles) {
    QStringList names;
    for (const TAVProfile* p : profiles)
        names << p->Description();
    return names;
}

} // namespace

TEST(Catalogue, CategoriesAndTheirProfilesInCatalogueOrder) {
    const auto list = CreateBuiltInCatalogue();
    ASSERT_EQ(list->Count(), 147);
    EXPECT_EQ(list->Categories().join('|'),
              "视频|HD Video|音频|Mobile|MP4|MP3|AVI|Flash Video|Images|IPad|IPhone|IPod|Zune|Xbox|"
              "Windows Mobile|Android Phone|PS3|PSP|Apple TV|VCD|DV");
    const std::map<QString, QStringList> expected = {
        {"视频",
         {"DVD MPEG TS(PAL) (*.vob)",
          "DVD MPEG2 PS(NTSC)(*.vob) ",
          "DVD Video - SECAM (*.vob) ",
          " Matroska Video (*.MKV)",
          " Flash Video (*.flv)",
          "Apple Quicktime Video(*.mov) ",
          "MPEG-4 Video (*.mp4)",
          "H.264/MPEG-4 AVC Video (*.mp4)",
          "M4V MPEG-4 Video (*.m4v)",
          "H.264 AVI - Audio Video Interleaved (*.avi)",
          "DivX Video (*.avi)",
          "XviD Video (*.avi)",
          "ASF - Advanced Streaming Format (*.asf)",
          "WMV - Windows Media Video (*.wmv)",
          "MPEG-2 Video (*.mpg)",
          "手机3GP- 单声道Mono (*.3gp)",
          "手机3GP - 双声道Stereo(*.3gp)",
          "手机3GP - 单声道Mono (*.3g2)",
          "手机3GP - 双声道Stereo (*.3g2)",
          "FLV - Flash Video Format (*.flv)",
          "Flash H264 Video (*.flv)",
          "SWF - SWF Format (*.swf)"}},
        {"HD Video",
         {"PS3 H.264 HD Video(720p)(*.mp4)",
          "PS3 H.264 HD Video(1080p)(*.mp4)",
          "PS3 DivX HD Video (*.avi)",
          "PS3 MPEG2-PS HD Video (*.mpg)",
          "PS3 MPEG2-TS HD Video (*.ts)",
          "Xbox360 WMV HD Video (*.wmv)",
          "Xbox360 HD MPEG4 Video (*.mp4)",
          "Xbox360 H.264 HD Video (*.mp4)",
          "Xbox360 DivX HD Video (*.avi)",
          "Xbox360 MPEG2-PS HD Video (*.mpg)",
          "Xbox360 MPEG2-TS HD Video (*.ts)",
          "Xbox360 XviD HD Video (*.avi)",
          "HD MPEG-4 Video (*.mp4)",
          "HD MPEG-4 TS HD Video (*.ts)",
          "HD H.264/MPEG-4 AVC Video (*.mp4)",
          "HD MOV Video (*.mov)",
          "HD AVI Video (*.avi)",
          "DivX HD Video (*.avi)",
          "XviD HD Video (*.avi)",
          "HD ASF Video (*.asf)",
          "HD WMV Video (*.wmv)",
          "MPEG2-PS HD Video (*.mpg)",
          "MPEG2-TS HD Video (*.ts)",
          "HD VOB Video (*.vob)",
          "HD MKV Video Format (*.mkv)",
          "MTS-MPEG-2 Transport Stream (*.m2ts)",
          "MTS-H264 Transport Stream (*.mts)"}},
        {"音频",
         {"AAC Audio", "MP3 Audio", "AC3 Dolby Audio", "WMA- Windows Media Audio(*.wma)",
          "AMR - Adaptive Multi-Rate (*.amr)", "M4A - MPEG-4 Audio (*.m4a)", "MP2-MPEG Layer-2 Audio(*.mp2)",
          "MKA-Matroska Audio(*.mka)"}},
        {"Mobile", {"3GPP", "3GPP2", "3GPP2 High Quality"}},
        {"MP4", {"MPEG-4 Video (*.mp4)", "H.264/MPEG-4 AVC Video (*.mp4)"}},
        {"MP3", {"MP3 192 (*.mp3)", "MP3 256 (*.mp3)", "MP3 128 (*.mp3)"}},
        {"AVI", {"H.264 AVI (*.avi)", "DivX Video (*.avi)", "XviD Video (*.avi)"}},
        {"Flash Video",
         {"FLV - Flash Video Format (*.flv)", "Flash H264 Video (*.flv)", "SWF - SWF Format (*.swf)",
          "YouTube Video (*.flv)", "F4V - Flash Video (*.f4v)"}},
        {"Images", {"JPEG Sequence", "GIF Sequence", "PNG Sequence", "BMP Sequence", "TIFF Sequence"}},
        {"IPad", {"IPad H264 Video", "IPad H264 Hiqh Quality"}},
        {"IPhone",
         {"IPhone H264 Video", "IPhone H264 Television Video", "IPhone MPEG4 Video",
          "IPhone MPEG4 Television Video", "IPhone MPEG4 Wide Screen Video"}},
        {"IPod",
         {"IPod 320x240 Video", "IPod 320x240 High Quality Video", "IPod 320x240 Low Quality Video",
          "iPod Video MPEG-4(*.mp4)", "iPod Video H.264((*.mp4)", "iPod Touch MPEG-4(*.mp4)",
          "iPod Touch  H.264 640x480(*.mp4)", "iPod Touch MPEG-4 640x480(*.mp4)", "iPod Touch 640x480(*.mov)",
          "iPod Touch 640x480(*.m4v)", "iPod Touch (640x480) for TV(*.mp4)",
          "iPod Touch(768x576) for TV(*.mp4)", "iPod Nano MPEG-4(*.mp4)", "iPod Nano 4 H.264 640x480(*.mp4)",
          "iPod Nano 4 MPEG-4 640x480(*.mp4)", "iPod Nano 4 640x480(*.mov)", "iPod Nano 4 640x480(*.m4v)",
          "iPod Classic MPEG-4(*.mp4)"}},
        {"Zune",
         {"Zune MPEG4 Video(320x240)", "Zune H264 Video(320x240)", "Zune Windows Media WMV(320x240)"}},
        {"Xbox", {"Xbox360 HD H264 Video", "Xbox360 MCE HD MPEG2 Video"}},
        {"Windows Mobile",
         {"Dell Axim X51 Video", "Dell Axim X51v Video", "General Pocket PC Video",
          "General Pocket PC Video(Low Quality)", "HP iPAQ hw6500", "HP iPAQ hx2000/rx3000/rx1900",
          "HP iPAQ hx4700"}},
        {"Android Phone",
         {"Gphone MPEG4 Video(*.mp4)", "Gphone H.264/MPEG4 AVC Video (*.mp4)",
          "Gphone WMV - Windows Media Video (*.wmv)", "Gphone H.263 3GP Video (*.3gp)"}},
        {"PS3", {"PS3 1080 HD Video", "PS3 720p Video", "PS3 480p Video"}},
        {"PSP", {"PSP MPEG4 Video", "PSP AVC Video", "PSP 480p Video"}},
        {"Apple TV",
         {"Apple TV H264 Video(320x240)", "Apple TV H264 video(640x480)", "Apple TV H264 video(1280x720)",
          "Apple TV MPEG-4 high quality video(640x480)", "Apple TV MPEG-4 video(640x480)",
          "Apple TV MPEG-4 low quality video(640x480)"}},
        {"VCD",
         {"VOB MPEG2 PS Format (*.vob)", "SVCD PAL (*.mpg)", "SVCD NTSC (*.mpg)", "SVCD Film (*.mpg)",
          "VCD PAL (*.mpg)", "VCD NTSC (*.mpg)", "VCD Film (*.mpg)"}},
        {"DV", {"DV PAL (*.dv)", "DV NTSC (*.dv)", "DV  Film (*.dv)"}},
    };
    int listed = 0;
    for (const QString& category : list->Categories()) {
        const auto it = expected.find(category);
        ASSERT_NE(it, expected.end()) << category.toStdString();
        EXPECT_EQ(Descriptions(list->ProfilesInCategory(category)), it->second) << category.toStdString();
        listed += static_cast<int>(it->second.size());
    }
    EXPECT_EQ(listed, 141); // the six uncategorised profiles are under no category name
    // With no category text the uncategorised ones are listed (a wizard without a category).
    const auto uncategorised = list->ProfilesInCategory("");
    EXPECT_EQ(uncategorised.size(), 6u);
    for (const TAVProfile* p : uncategorised)
        EXPECT_TRUE(p->Category().isEmpty()) << p->Description().toStdString();
    // Listed under "Xbox" through the case-blind match.
    EXPECT_EQ(list->ProfilesInCategory("Xbox")[0]->Category(), "XBox");
    EXPECT_EQ(list->ProfilesInCategory("xbox").size(), 2u);
}

TEST(Catalogue, TableOrderClassesAndTellingRows) {
    const auto list = CreateBuiltInCatalogue();
    QStringList head;
    for (int i = 0; i < 8; ++i)
        head << list->Profiles(i)->Description();
    EXPECT_EQ(head.join('|'), "VCD|DV|DV50|DVD|SVCD|Image Sequence Profile|AAC Audio|MP3 Audio");
    EXPECT_EQ(list->Profiles(146)->Description(), "MTS-H264 Transport Stream (*.mts)");

    std::map<QString, int> classes;
    for (int i = 0; i < list->Count(); ++i) {
        classes[TPersistent::ClassNameOf(list->Profiles(i))]++;
        EXPECT_EQ(list->Profiles(i)->Index(), i);
        EXPECT_EQ(list->Profiles(i)->ProfileList(), list.get());
    }
    const std::map<QString, int> expected_classes = {
        {"TAVCustomVideoProfile", 116}, {"TAVCustomAudioProfile", 11}, {"TAVImageProfile", 6},
        {"TAVVcdProfile", 4},           {"TAVSVcdProfile", 4},         {"TAVDvProfile", 4},
        {"TAVDvdProfile", 1},           {"TAVDv50Profile", 1}};
    EXPECT_EQ(classes, expected_classes);

    auto video = [&](const char* d) { return qobject_cast<TAVCustomVideoProfile*>(list->FindProfile(d)); };
    // Description, sample rate, encoder, channels, kbit/s, format, w, h, video encoder, rate, kbit/s, aspect.
    struct Telling {
        const char* description;
        int rate;
        TCustomAudioEncoder aenc;
        TCustomAudioChannels ch;
        double akbps;
        TCustomAVFormat fmt;
        int w, h;
        TCustomVideoEncoder venc;
        TCustomFrameRate fr;
        int vkbps;
        TAVAspectRatio ar;
    };
    using A = TAVCustomAudioProfile;
    using V = TAVCustomVideoProfile;
    const Telling rows[] = {
        {"IPhone MPEG4 Video", 48000, A::AAC, A::stereo2, 128, A::F_MP4, 480, 320, V::MPEG4, V::r2997, 1000,
         V::AR4_3},
        {"3GPP", 8000, A::AMR_NB, A::mono1, 12.2, A::F_3GP, 176, 144, V::H263, V::rOriginal, 128, V::AR_NONE},
        {"3GPP2", 16000, A::AAC, A::stereo2, 32, A::F_3GP2, 176, 144, V::MPEG4, V::r1499, 192, V::AR_NONE},
        {"DVD MPEG TS(PAL) (*.vob)", 48000, A::AC3, A::stereo2, 448, A::F_DVD, 0, 0, V::MPEG2VIDEO, V::r25,
         6000, V::AR_NONE},
        {"Gphone H.264/MPEG4 AVC Video (*.mp4)", 32000, A::AAC, A::stereo2, 96, A::F_NONE, 320, 0, V::H264,
         V::r2397, 768, V::AR_NONE},
        {"PS3 1080 HD Video", 48000, A::AAC, A::stereo2, 128, A::F_NONE, 1920, 1080, V::H264, V::r2997, 35000,
         V::AR_NONE},
        {"MTS-H264 Transport Stream (*.mts)", 48000, A::AC3, A::stereo2, 256, A::F_NONE, 0, 0, V::H264,
         V::r25, 8000, V::AR_NONE},
    };
    for (const Telling& t : rows) {
        const TAVCustomVideoProfile* p = video(t.description);
        ASSERT_NE(p, nullptr) << t.description;
        EXPECT_EQ(std::make_tuple(p->SampleRate(), p->AudioEncoder(), p->AudioChannels(), p->AudioBitrate(),
                                  p->Format()),
                  std::make_tuple(t.rate, t.aenc, t.ch, t.akbps, t.fmt))
            << t.description;
        EXPECT_EQ(std::make_tuple(p->FrameWidth(), p->FrameHeight(), p->VideoEncoder(), p->FrameRate(),
                                  p->VideoBitrate(), p->FrameAspectRatio(), p->Pass()),
                  std::make_tuple(t.w, t.h, t.venc, t.fr, t.vkbps, t.ar, 0))
            << t.description;
    }
    EXPECT_EQ(video("IPhone MPEG4 Video")->Options(),
              QStringList({"maxrate=1000000", "qmin=3", "qmax=5", "bufsize=4096k", "g=300"}));
    EXPECT_EQ(video("3GPP2 High Quality")->Options(), QStringList{"flags=bitexact"});

    const auto* aac = qobject_cast<TAVCustomAudioProfile*>(list->FindProfile("AAC Audio"));
    ASSERT_NE(aac, nullptr);
    EXPECT_EQ(qobject_cast<const TAVCustomVideoProfile*>(aac), nullptr);
    EXPECT_EQ(aac->Extension(), ".mp4");
    EXPECT_EQ(aac->AudioChannels(), TAVCustomAudioProfile::stereo2);
    const auto* vcd = qobject_cast<TAVVcdProfile*>(list->FindProfile("VCD NTSC (*.mpg)"));
    ASSERT_NE(vcd, nullptr);
    EXPECT_EQ(vcd->Target(), TAVTargetProfile::ntsc);
    const auto* jpeg = qobject_cast<TAVImageProfile*>(list->FindProfile("JPEG Sequence"));
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->Extension(), "1.jpg");
    EXPECT_EQ(jpeg->ImageType(), TAVImageProfile::jpeg);

    // The patterns of the rows: options and the 4:3 aspect only where listed.
    int with_options = 0, four_three = 0;
    for (int i = 0; i < list->Count(); ++i) {
        if (const auto* p = qobject_cast<TAVCustomAudioProfile*>(list->Profiles(i)))
            with_options += p->Options().isEmpty() ? 0 : 1;
        if (const auto* p = qobject_cast<TAVCustomVideoProfile*>(list->Profiles(i)))
            four_three += p->FrameAspectRatio() == TAVCustomVideoProfile::AR4_3 ? 1 : 0;
    }
    EXPECT_EQ(with_options, 5);
    EXPECT_EQ(four_three, 6);
}

TEST(Catalogue, IndexClampsAndMembershipFollowsDestruction) {
    auto list = CreateBuiltInCatalogue();
    TAVProfile* moved = list->Profiles(10);
    moved->SetIndex(1000);
    EXPECT_EQ(moved->Index(), 146);
    moved->SetIndex(-5);
    EXPECT_EQ(moved->Index(), 0);
    EXPECT_EQ(list->Profiles(0), moved);

    TAVProfile* doomed = list->FindProfile("AAC Audio");
    delete doomed; // leaves the list
    EXPECT_EQ(list->Count(), 146);
    EXPECT_EQ(list->IndexOf(doomed), -1);

    TAVProfileList other;
    TAVProfile* wanderer = list->Profiles(5);
    wanderer->SetProfileList(&other);
    EXPECT_EQ(list->Count(), 145);
    EXPECT_EQ(other.Count(), 1);
    EXPECT_EQ(wanderer->Index(), 0);
    wanderer->SetProfileList(&other); // same list: nothing happens
    EXPECT_EQ(other.Count(), 1);
    wanderer->SetProfileList(nullptr);
    EXPECT_EQ(wanderer->Index(), -1);
    wanderer->SetIndex(3); // in no list: nothing to move
    wanderer->SetProfileList(list.get());
    EXPECT_EQ(wanderer->Index(), 145);

    list->ClearCustomProfiles();
    EXPECT_EQ(list->Count(), 20);
    for (int i = 0; i < list->Count(); ++i)
        EXPECT_EQ(qobject_cast<TAVCustomAudioProfile*>(list->Profiles(i)), nullptr);

    // Destroying the list frees what it still lists, even a profile owned elsewhere.
    QObject owner;
    QPointer<TAVProfile> outsider = new TAVImageProfile(&owner);
    outsider->SetProfileList(list.get());
    list.reset();
    EXPECT_TRUE(outsider.isNull());
    EXPECT_TRUE(owner.children().isEmpty());
}

} // namespace vc
