#include "support/test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vc::test {

namespace {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// vconv with its application-data folder in a temporary folder.
class ConfigCommand : public ::testing::Test {
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
    ProcessResult Vconv(std::vector<std::string> args) {
        args.insert(args.begin(), "config");
        return RunProcess(VconvPath().string(), args, std::chrono::seconds(30));
    }
    std::filesystem::path ConfigFile() const { return dir_ / "Quorvane/VideoConverterCHS/Config.Xml"; }

    TempDir dir_;
    std::string old_;
    bool had_ = false;
};

} // namespace

TEST_F(ConfigCommand, PrintsTheFileAndItsValuesCreatingItOnFirstUse) {
    const ProcessResult r = Vconv({});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("Configuration file: " + ConfigFile().string() + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("ShowAlert=true\n"), std::string::npos);
    EXPECT_NE(r.out.find("PerformanceOptions.ThreadPrority=2\n"), std::string::npos);
    EXPECT_NE(ReadFile(ConfigFile()).find("<ThreadCount>0</ThreadCount>\r\n"), std::string::npos);
}

TEST_F(ConfigCommand, SetChangesAndSavesEverythingOrNothing) {
    ProcessResult r =
        Vconv({"set", "ShowAlert=no", "shutdownwhendone=1", "PerformanceOptions.ThreadCount=4",
               "PerformanceOptions.ThreadPrority=2", "OutputFolder=" + (dir_ / "out").string()});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    const std::string saved = ReadFile(ConfigFile());
    EXPECT_NE(saved.find("<ShowAlert>0</ShowAlert>"), std::string::npos);
    EXPECT_NE(saved.find("<ShutdownWhenDone>1</ShutdownWhenDone>"), std::string::npos);
    EXPECT_NE(saved.find("<ThreadCount>4</ThreadCount>"), std::string::npos);
    EXPECT_NE(saved.find("<OutputFolder>" + (dir_ / "out").string() + "</OutputFolder>"), std::string::npos);

    struct Case {
        std::vector<std::string> args;
        const char* message;
    };
    const Case rejected[] = {
        {{"set", "ShowAlert=1", "Colour=blue"}, "unknown setting 'Colour'"},
        {{"set", "ShowAlert=maybe"}, "ShowAlert takes true or false, not 'maybe'"},
        {{"set", "PerformanceOptions.ThreadCount=33"}, "from 0 (automatic) to 32, not '33'"},
        {{"set", "PerformanceOptions.ThreadPrority=-1"}, "from 0 to 5, not '-1'"},
        {{"set", "OutputFolder="}, "OutputFolder must not be empty"},
        {{"set", "ShowAlert"}, "expected NAME=VALUE"},
        {{"set"}, "set needs at least one NAME=VALUE"},
        {{"show"}, "unknown action 'show'"},
    };
    for (const Case& c : rejected) {
        r = Vconv(c.args);
        EXPECT_EQ(r.exit_code, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(ConfigFile()), saved); // nothing of the rejected commands was saved
}

TEST_F(ConfigCommand, ABadValueCostsThatValueAndADamagedFileIsSetAside) {
    std::filesystem::create_directories(ConfigFile().parent_path());
    const std::string bad =
        "<data><TAVConfiguration><ShowAlert>x</ShowAlert><OutputFolder>/mine</OutputFolder>"
        "</TAVConfiguration></data>";
    std::ofstream(ConfigFile(), std::ios::binary) << bad;
    ProcessResult r = Vconv({});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("ShowAlert: 'x' is not 1 or 0"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("ShowAlert=true"), std::string::npos);
    EXPECT_NE(r.out.find("OutputFolder=/mine"), std::string::npos) << r.out;
    EXPECT_FALSE(std::filesystem::exists(ConfigFile().string() + ".bad"));

    const std::string damaged = bad.substr(0, 40);
    std::ofstream(ConfigFile(), std::ios::binary | std::ios::trunc) << damaged;
    r = Vconv({});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.err.find("Not an XML document"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(ConfigFile().string() + ".bad"), damaged);
}

} // namespace vc::test
