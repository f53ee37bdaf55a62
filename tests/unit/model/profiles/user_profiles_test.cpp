#include "model/profiles/builtin_profiles.h"
#include "model/profiles/ini_file.h"
#include "model/profiles/profile.h"
#include "model/profiles/target_profiles.h"
#include "model/profiles/user_profiles.h"
#include "platform/error.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>

namespace vc {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

TEST(UserProfiles, VideoProfileRoundTripKeepsAllButPassAndAspect) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    TAVProfileList list;
    auto* p = new TAVCustomVideoProfile(&list);
    p->SetDescription(" Leading and trailing ");
    p->SetExtension(".mkv");
    p->SetCategory("音频");
    p->SetSampleRate(22050);
    p->SetAudioEncoder(TAVCustomAudioProfile::AMR_NB);
    p->SetAudioChannels(TAVCustomAudioProfile::stereo2);
    p->SetAudioBitrate(12.2);
    p->SetFormat(TAVCustomAudioProfile::F_MKV);
    p->SetOptions({"title=a b", "\"quoted\"", "x=1,2", "bufsize=4096k"});
    p->SetFrameWidth(852);
    p->SetFrameHeight(480);
    p->SetVideoEncoder(TAVCustomVideoProfile::XVID);
    p->SetFrameRate(TAVCustomVideoProfile::r2997);
    p->SetVideoBitrate(1500);
    p->SetPass(2);
    p->SetFrameAspectRatio(TAVCustomVideoProfile::AR4_3);
    p->SetProfileList(&list);
    SaveUserProfiles(list, path);

    TAVProfileList loaded;
    LoadUserProfiles(loaded, path);
    ASSERT_EQ(loaded.Count(), 1);
    const auto* q = qobject_cast<TAVCustomVideoProfile*>(loaded.Profiles(0));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(q->Description(), p->Description());
    EXPECT_EQ(q->Extension(), ".mkv");
    EXPECT_EQ(q->Category(), "音频");
    EXPECT_EQ(q->SampleRate(), 22050);
    EXPECT_EQ(q->AudioEncoder(), TAVCustomAudioProfile::AMR_NB);
    EXPECT_EQ(q->AudioChannels(), TAVCustomAudioProfile::stereo2);
    EXPECT_DOUBLE_EQ(q->AudioBitrate(), 12.2);
    EXPECT_EQ(q->Format(), TAVCustomAudioProfile::F_MKV);
    EXPECT_EQ(q->Options(), p->Options());
    EXPECT_EQ(q->FrameWidth(), 852);
    EXPECT_EQ(q->FrameHeight(), 480);
    EXPECT_EQ(q->VideoEncoder(), TAVCustomVideoProfile::XVID);
    EXPECT_EQ(q->FrameRate(), TAVCustomVideoProfile::r2997);
    EXPECT_EQ(q->VideoBitrate(), 1500);
    EXPECT_EQ(q->Pass(), 0);
    EXPECT_EQ(q->FrameAspectRatio(), TAVCustomVideoProfile::AR_NONE);
    // UTF-8 on disk.
    EXPECT_TRUE(ReadAll(path).contains(QString("Category0=音频").toUtf8()));
}

TEST(UserProfiles, TheFileOfOneAacProfile) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    auto builtin = CreateBuiltInCatalogue();
    TAVProfileList list;
    builtin->FindProfile("AAC Audio")->SetProfileList(&list);
    SaveUserProfiles(list, path);
    EXPECT_EQ(QString::fromUtf8(ReadAll(path)),
              "[Profile]\nDescription0=AAC Audio\nExtension0=.mp4\nCategory0=音频\nIsVideo0=0\n"
              "SampleRate0=48000\nAudioEncoder0=0\nAudioChannels0=1\nAudioBitrate0=128\nFormat0=0\n"
              "Options0=\nProfileCount=1\n");
}

TEST(UserProfiles, SaveRestartSaveGivesTheSameFileAndLoadReplacesEditableProfiles) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    {
        auto catalogue = LoadCatalogue(path); // no file yet: the built-in table
        EXPECT_EQ(catalogue->Count(), 147);
        SaveUserProfiles(*catalogue, path);
    }
    const QByteArray first = ReadAll(path);
    EXPECT_TRUE(first.contains("ProfileCount=127\n"));
    auto restarted = LoadCatalogue(path);
    EXPECT_EQ(restarted->Count(), 147);
    // Target and image profiles now come first within a category.
    const auto vcd = restarted->ProfilesInCategory("VCD");
    ASSERT_EQ(vcd.size(), 7u);
    EXPECT_EQ(vcd.back()->Description(), "VOB MPEG2 PS Format (*.vob)");
    // The aspect ratio is not stored: a built-in 4:3 profile comes back without it.
    const auto* iphone = qobject_cast<TAVCustomVideoProfile*>(restarted->FindProfile("IPhone H264 Video"));
    ASSERT_NE(iphone, nullptr);
    EXPECT_EQ(iphone->FrameAspectRatio(), TAVCustomVideoProfile::AR_NONE);
    SaveUserProfiles(*restarted, path);
    EXPECT_EQ(ReadAll(path), first);
}

TEST(UserProfiles, ShorterSaveKeepsOldKeysAndCountZeroLeavesOnlyFixedProfiles) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    auto catalogue = CreateBuiltInCatalogue();
    SaveUserProfiles(*catalogue, path);
    catalogue->ClearCustomProfiles();
    SaveUserProfiles(*catalogue, path);
    const QByteArray text = ReadAll(path);
    EXPECT_TRUE(text.contains("ProfileCount=0\n"));
    EXPECT_TRUE(text.contains("Description126=")); // left in place, ignored because of the count

    auto reloaded = LoadCatalogue(path);
    EXPECT_EQ(reloaded->Count(), 20);
}

TEST(UserProfiles, MissingKeysAndBadValuesKeepCurrentValues) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    WriteAll(path, "[Profile]\nProfileCount=2\nIsVideo0=1\nDescription0=Mine\nFrameWidth0=abc\n"
                   "VideoEncoder0=99\nAudioBitrate0=7,4\nOptions0=a=1 b=2\n"
                   "Description1=Audio only\nSampleRate1=44100\n");
    TAVProfileList list;
    LoadUserProfiles(list, path);
    ASSERT_EQ(list.Count(), 2);
    const auto* v = qobject_cast<TAVCustomVideoProfile*>(list.Profiles(0));
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Description(), "Mine");
    EXPECT_EQ(v->FrameWidth(), 0);
    EXPECT_EQ(v->VideoEncoder(), TAVCustomVideoProfile::H263);
    EXPECT_DOUBLE_EQ(v->AudioBitrate(), 7.4);
    EXPECT_EQ(v->Options(), QStringList({"a=1", "b=2"}));
    const auto* a = qobject_cast<TAVCustomAudioProfile*>(list.Profiles(1));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(qobject_cast<const TAVCustomVideoProfile*>(a), nullptr);
    EXPECT_EQ(a->SampleRate(), 44100);
    EXPECT_EQ(a->Extension(), "");
}

TEST(UserProfiles, UnwritableFileFailsWithItsPathAndLosesNothing) {
    test::TempDir dir;
    auto catalogue = CreateBuiltInCatalogue();
    const QString missing_folder = QString::fromStdString((dir / "no/such/Profiles.ini").string());
    try {
        SaveUserProfiles(*catalogue, missing_folder);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + missing_folder.toStdString());
    }
    const QString read_only = QString::fromStdString((dir / "Profiles.ini").string());
    WriteAll(read_only, "[Profile]\nProfileCount=0\n");
    QFile::setPermissions(read_only, QFile::ReadOwner);
    if (QFileInfo(read_only).isWritable())
        GTEST_SKIP() << "running with permissions that ignore read-only files";
    EXPECT_THROW(SaveUserProfiles(*catalogue, read_only), Error);
    EXPECT_EQ(ReadAll(read_only), "[Profile]\nProfileCount=0\n");
    EXPECT_EQ(catalogue->Count(), 147);
}

TEST(IniFile, ValuesComeBackExactly) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "values.ini").string());
    const QStringList values = {" leading", "trailing ", "\"quoted\"", "\"a b\"", "\"",
                                "音频",     "a=b;c#d",   "",           "x\"y"};
    {
        IniFile ini(path);
        for (int i = 0; i < values.size(); ++i)
            ini.WriteString("S", TAVProfile::Key("V", i), values[i]);
        ini.WriteFloat("S", "F", 12.2);
        ini.Save();
    }
    const IniFile ini(path);
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString("S", TAVProfile::Key("V", i), "missing"), values[i]) << i;
    EXPECT_EQ(ini.ReadString("S", "F", ""), "12.2");
    EXPECT_EQ(ini.ReadInteger("S", "V0", 7), 7); // not a number: the fallback
    EXPECT_EQ(ini.ReadString("S", "Nope", "fallback"), "fallback");
}

TEST(UserProfiles, PathIsInTheApplicationDataFolder) {
    test::TempDir dir;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.path().string()));
    EXPECT_EQ(UserProfilesPath(),
              QString::fromStdString(dir.path().string()) + "/Quorvane/VideoConverterCHS/Profiles.ini");
    qunsetenv("XDG_DATA_HOME");
}

} // namespace vc

namespace vc {
namespace {

struct DamagedIni {
    const char* what;
    QByteArray bytes;
    const char* reason; // part of the warning
};

void PrintTo(const DamagedIni& c, std::ostream* os) {
    *os << c.what;
}

class DamagedProfilesFile : public ::testing::TestWithParam<DamagedIni> {};

// The catalogue starts with the built-in profiles, the user's bytes stay in Profiles.ini.bad and
// one warning names the problem.
TEST_P(DamagedProfilesFile, IsSetAsideAndTheBuiltInProfilesAreUsed) {
    const DamagedIni& c = GetParam();
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    WriteAll(path, c.bytes);
    test::RecordingMessageSink sink;
    const auto catalogue = LoadCatalogue(path);
    EXPECT_EQ(catalogue->Count(), 147);
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].kind, MessageKind::Warning);
    EXPECT_NE(sink.Messages()[0].text.find(c.reason), std::string::npos) << sink.Messages()[0].text;
    EXPECT_NE(sink.Messages()[0].text.find((path + ".bad").toStdString()), std::string::npos);
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(ReadAll(path + ".bad"), c.bytes);
}

QByteArray RandomBytes() {
    QByteArray bytes;
    unsigned state = 777;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>((state >> 16) & 0xFF);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DamagedProfilesFile,
    ::testing::Values(
        DamagedIni{"random bytes", RandomBytes(), "not a valid UTF-8 INI file"},
        DamagedIni{"truncated before the count", "[Profile]\nIsVideo0=1\nDescription0=Mi", "ProfileCount"},
        DamagedIni{"plain text", "These are my profiles.\nPlease keep them.\n", "ProfileCount"},
        DamagedIni{"a count that is not a number", "[Profile]\nProfileCount=lots\nDescription0=Mine\n",
                   "ProfileCount is not a count (lots)"},
        DamagedIni{"a negative count", "[Profile]\nProfileCount=-4\n", "ProfileCount is not a count (-4)"}),
    [](const ::testing::TestParamInfo<DamagedIni>& info) { return "form" + std::to_string(info.index); });

} // namespace

// A count far beyond the profiles the file holds reads those it holds, at once.
TEST(UserProfiles, ProfileCountIsBoundedByTheProfilesInTheFile) {
    test::TempDir dir;
    const QString path = QString::fromStdString((dir / "Profiles.ini").string());
    WriteAll(path, "[Profile]\nProfileCount=2000000000\nDescription0=Mine\nDescription1=Yours\n");
    const auto begin = std::chrono::steady_clock::now();
    TAVProfileList list;
    LoadUserProfiles(list, path);
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Profiles(1)->Description(), "Yours");
}

} // namespace vc
