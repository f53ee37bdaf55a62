#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vc::test {
namespace {

// vconv with its application-data folder in a temporary folder.
class ProfilesCommand : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            old_ = old, had_ = true;
        setenv("XDG_DATA_HOME", dir_.path().c_str(), 1); // inherited by vconv
    }
    void TearDown() override {
        if (had_)
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    static ProcessResult Vconv(std::vector<std::string> args) {
        return RunProcess(VconvPath().string(), args, std::chrono::seconds(30));
    }
    std::filesystem::path ProfilesIni() const { return dir_ / "Quorvane/VideoConverterCHS/Profiles.ini"; }

    TempDir dir_;
    std::string old_;
    bool had_ = false;
};

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST_F(ProfilesCommand, ListsCategoriesAndProfilesCaseBlind) {
    const ProcessResult all = Vconv({"profiles"});
    ASSERT_EQ(all.exit_code, 0) << all.err;
    EXPECT_NE(all.out.find("IPod"), std::string::npos);
    EXPECT_NE(all.out.find("音频"), std::string::npos);
    EXPECT_NE(all.out.find(" 18\n"), std::string::npos); // IPod's 18 profiles

    const ProcessResult xbox = Vconv({"profiles", "--category", "XBOX"});
    ASSERT_EQ(xbox.exit_code, 0) << xbox.err;
    EXPECT_EQ(xbox.out, "Xbox360 HD H264 Video\nXbox360 MCE HD MPEG2 Video\n");

    const ProcessResult details = Vconv({"profiles", "--category", "mobile", "--details"});
    EXPECT_NE(details.out.find("3GPP2\t.3g2\tvideo MPEG4 176x144 14.99 fps 192 kbit/s"), std::string::npos)
        << details.out;

    const ProcessResult unknown = Vconv({"profiles", "--category", "Betamax"});
    EXPECT_EQ(unknown.exit_code, 1);
    EXPECT_NE(unknown.err.find("no category named 'Betamax'"), std::string::npos);
    EXPECT_EQ(Vconv({"profiles", "extra"}).exit_code, 2);
}

TEST_F(ProfilesCommand, ShowPrintsTheOptionsAProfileWrites) {
    const ProcessResult vcd = Vconv({"profiles", "--show", "VCD Film (*.mpg)"});
    ASSERT_EQ(vcd.exit_code, 0) << vcd.err;
    for (const char* line :
         {"VideoOptions.FrameHeight=240\n", "VideoOptions.FrameRate.num=24000\n",
          "CodecOptions=g=18,maxrate=1150000,minrate=1150000,bufsize=327680,packetsize=2324,"
          "muxrate=1411200\n",
          "OutputFormat=vcd\n", "MuxerOptions.MuxPreload=0.44\n"})
        EXPECT_NE(vcd.out.find(line), std::string::npos) << line << "\n" << vcd.out;
    // Matched without surrounding blanks and letter case; a name in two categories shows both.
    const ProcessResult divx = Vconv({"profiles", "--show", "  divx video (*.AVI)"});
    ASSERT_EQ(divx.exit_code, 0) << divx.err;
    EXPECT_NE(divx.out.find("[AVI]"), std::string::npos);
    EXPECT_NE(divx.out.find("[视频]"), std::string::npos);
    EXPECT_EQ(Vconv({"profiles", "--show", "No such profile"}).exit_code, 1);
}

TEST_F(ProfilesCommand, SavedFileIsLoadedAtTheNextStart) {
    const ProcessResult save = Vconv({"profiles", "save"});
    ASSERT_EQ(save.exit_code, 0) << save.err;
    const std::string saved = ReadFile(ProfilesIni());
    EXPECT_NE(saved.find("ProfileCount=127"), std::string::npos);
    ASSERT_EQ(Vconv({"profiles", "save"}).exit_code, 0);
    EXPECT_EQ(ReadFile(ProfilesIni()), saved); // save, restart, save: the same file

    {
        std::ofstream ini(ProfilesIni(), std::ios::binary | std::ios::trunc);
        ini << "[Profile]\nProfileCount=1\nDescription0=Only "
               "mine\nCategory0=音频\nIsVideo0=0\nSampleRate0=44100\n";
    }
    const ProcessResult audio = Vconv({"profiles", "--category", "音频"});
    ASSERT_EQ(audio.exit_code, 0) << audio.err;
    EXPECT_EQ(audio.out, "Only mine\n");
    const ProcessResult video = Vconv({"profiles", "--category", "IPod"});
    EXPECT_EQ(video.out, ""); // the built-in editable profiles are gone
    const ProcessResult vcd = Vconv({"profiles", "--category", "VCD"});
    EXPECT_EQ(std::count(vcd.out.begin(), vcd.out.end(), '\n'), 6); // the target profiles stay
}

TEST_F(ProfilesCommand, ConvertRejectsAnUnknownProfileAndBadFilterOptions) {
    const std::string in = Media("h264_aac.mp4").string();
    const std::string out = (dir_ / "out.mp4").string();
    const ProcessResult unknown = Vconv({"convert", in, "-o", out, "--profile", "No such profile"});
    EXPECT_EQ(unknown.exit_code, 2);
    EXPECT_NE(unknown.err.find("no profile named 'No such profile'"), std::string::npos) << unknown.err;
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--text", "hi"},
          {"--logo-pos", "1,2"},
          {"--rotate", "400"},
          {"--drawbox", "1,2,3,Red"},
          {"--text", "hi", "--font", "f.ttf", "--font-color", "nocolour"}}) {
        std::vector<std::string> args = {"convert", in, "-o", out};
        args.insert(args.end(), bad.begin(), bad.end());
        const ProcessResult r = Vconv(args);
        EXPECT_EQ(r.exit_code, 2) << bad[0] << ": " << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(out));
}

} // namespace vc::test
