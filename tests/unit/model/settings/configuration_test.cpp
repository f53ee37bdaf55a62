#include "model/persistence/omni_xml_writer.h"
#include "model/settings/configuration.h"
#include "platform/process_priority.h"
#include "support/recording_message_sink.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace vc::test {

namespace {

std::string ReadAll(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

void WriteAll(const QString& file, const std::string& text) {
    QDir().mkpath(QFileInfo(file).absolutePath());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.data(), static_cast<qint64>(text.size()));
}

std::string FirstStartFile() {
    return "<data PropFormat=\"node\">\r\n"
           "  <TAVConfiguration>\r\n"
           "    <PerformanceOptions>\r\n"
           "      <ThreadCount>0</ThreadCount>\r\n"
           "      <ThreadPrority>2</ThreadPrority>\r\n"
           "    </PerformanceOptions>\r\n"
           "    <OutputFolder>" +
           QDir::homePath().toStdString() +
           "/Conversion</OutputFolder>\r\n"
           "  </TAVConfiguration>\r\n"
           "</data>\r\n";
}

// Each test gets its own application-data folder.
class Configuration : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            old_ = old, had_ = true;
        setenv("XDG_DATA_HOME", dir_.path().c_str(), 1);
    }
    void TearDown() override {
        if (had_)
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    TempDir dir_;
    std::string old_;
    bool had_ = false;
};

} // namespace

TEST_F(Configuration, FirstStartCreatesTheFolderAndTheFile) {
    const QString file = TAVConfiguration::GetConfigFile();
    EXPECT_EQ(file.toStdString(), dir_.path().string() + "/Quorvane/VideoConverterCHS/Config.Xml");
    TAVConfiguration config;
    config.Load();
    EXPECT_EQ(ReadAll(file), FirstStartFile());
    EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), 0);
    EXPECT_EQ(config.PerformanceOptions()->ThreadPrority(), 2);
    EXPECT_TRUE(config.ShowAlert());
    EXPECT_TRUE(config.FirstRun());
    EXPECT_FALSE(config.ShutdownWhenDone());
}

TEST_F(Configuration, BooleansAreStoredOnlyAwayFromTheirDefaults) {
    TAVConfiguration config;
    config.SetShowAlert(false);
    config.SetFirstRun(false);
    config.SetShutdownWhenDone(true);
    config.Save();
    const std::string text = ReadAll(TAVConfiguration::GetConfigFile());
    EXPECT_NE(text.find("    <ShutdownWhenDone>1</ShutdownWhenDone>\r\n"), std::string::npos);
    EXPECT_NE(text.find("    <ShowAlert>0</ShowAlert>\r\n"), std::string::npos);
    EXPECT_NE(text.find("    <FirstRun>0</FirstRun>\r\n"), std::string::npos);

    TAVConfiguration next_start; // the toggled values survive a restart
    next_start.Load();
    EXPECT_TRUE(next_start.ShutdownWhenDone());
    EXPECT_FALSE(next_start.ShowAlert());
    EXPECT_FALSE(next_start.FirstRun());

    next_start.SetShowAlert(true);
    next_start.Save();
    EXPECT_EQ(ReadAll(TAVConfiguration::GetConfigFile()).find("ShowAlert"), std::string::npos);
}

TEST_F(Configuration, MissingElementsTakeTheirDeclaredDefaults) {
    WriteAll(TAVConfiguration::GetConfigFile(),
             "<data><TAVConfiguration><PerformanceOptions><ThreadCount>4</ThreadCount>"
             "<ThreadPrority>1</ThreadPrority></PerformanceOptions><OutputFolder>/srv/out</OutputFolder>"
             "</TAVConfiguration></data>");
    TAVConfiguration config;
    config.SetShowAlert(false);
    config.SetShutdownWhenDone(true);
    config.Load();
    EXPECT_TRUE(config.ShowAlert());
    EXPECT_FALSE(config.ShutdownWhenDone());
    EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), 4);
    EXPECT_EQ(config.OutputFolder(), "/srv/out");
}

TEST_F(Configuration, NotXmlKeepsTheConstructionValues) {
    WriteAll(TAVConfiguration::GetConfigFile(), "this is not a settings file");
    TAVConfiguration config;
    config.Load();
    EXPECT_EQ(TOmniXMLWriter::SaveToText(&config, TPropsFormat::pfNodes, TOutputFormat::ofIndent),
              FirstStartFile());
}

TEST_F(Configuration, AtStartUpABadValueCostsThatValueAndADamagedFileIsSetAside) {
    const QString file = TAVConfiguration::GetConfigFile();
    const std::string bad_values =
        "<data><TAVConfiguration><PerformanceOptions><ThreadCount>x</ThreadCount>"
        "</PerformanceOptions><OutputFolder>/mine</OutputFolder>"
        "<ShowAlert>yes</ShowAlert><FirstRun>0</FirstRun></TAVConfiguration></data>";
    WriteAll(file, bad_values);
    {
        TAVConfiguration config;
        EXPECT_THROW(config.Load(), EOmniXMLPersistent); // the plain load reports the error
    }
    RecordingMessageSink sink;
    {
        TAVConfiguration config;
        config.SetShowAlert(false);
        EXPECT_TRUE(config.LoadAtStartup());
        // The bad values take their defaults; the rest, after them too, is read.
        EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), 0);
        EXPECT_TRUE(config.ShowAlert());
        EXPECT_EQ(config.OutputFolder(), "/mine");
        EXPECT_FALSE(config.FirstRun());
        EXPECT_TRUE(config.SetAsideFile().isEmpty());
        EXPECT_EQ(ReadAll(file), bad_values);
        EXPECT_FALSE(QFileInfo::exists(file + ".bad"));
        ASSERT_EQ(sink.Messages().size(), 1u);
        EXPECT_EQ(sink.Messages()[0].kind, MessageKind::Warning);
        EXPECT_NE(sink.Messages()[0].text.find("ThreadCount: 'x' is not a number"), std::string::npos);
        EXPECT_NE(sink.Messages()[0].text.find("ShowAlert: 'yes' is not 1 or 0"), std::string::npos);
    }

    // A document that does not read at all is set aside, and the values read before are undone.
    const std::string damaged = "<data><TAVConfiguration><OutputFolder>/mine</OutputFolder><ShowAl";
    WriteAll(file, damaged);
    TAVConfiguration config;
    EXPECT_FALSE(config.LoadAtStartup());
    EXPECT_EQ(config.OutputFolder(), QDir::homePath() + "/Conversion");
    EXPECT_EQ(config.SetAsideFile(), file + ".bad");
    EXPECT_EQ(ReadAll(file + ".bad"), damaged);
    EXPECT_EQ(ReadAll(file), FirstStartFile());
    ASSERT_EQ(sink.Messages().size(), 2u);
    EXPECT_NE(sink.Messages()[1].text.find("Not an XML document"), std::string::npos);
    EXPECT_NE(sink.Messages()[1].text.find(config.SetAsideFile().toStdString()), std::string::npos);

    // A second damaged file does not replace the first one set aside.
    WriteAll(file, "<data><TAVConfiguration><FirstRun>2</FirstRun>");
    TAVConfiguration again;
    EXPECT_FALSE(again.LoadAtStartup());
    EXPECT_EQ(again.SetAsideFile(), file + ".bad.2");
    EXPECT_EQ(ReadAll(file + ".bad"), damaged);

    TAVConfiguration good; // and a good file loads quietly
    EXPECT_TRUE(good.LoadAtStartup());
    EXPECT_EQ(sink.Messages().size(), 3u);
}

TEST_F(Configuration, SaveFailsClearlyWhenTheFolderCannotBeMade) {
    WriteAll(QString::fromStdString((dir_ / "plainfile").string()), "x");
    setenv("XDG_DATA_HOME", (dir_ / "plainfile").c_str(), 1);
    TAVConfiguration config;
    try {
        config.Save();
        ADD_FAILURE();
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("plainfile/Quorvane/VideoConverterCHS"), std::string::npos)
            << e.what();
    }
}

// In a child process, so the test program keeps its priority.
TEST_F(Configuration, SaveAppliesThePriorityLevel) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAVConfiguration config;
        config.PerformanceOptions()->SetThreadPrority(1);
        config.Save();
        _exit(CurrentNiceValue() == 10 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace vc::test

namespace vc::test {
namespace {

struct DamagedConfig {
    const char* what;
    std::string bytes;
    const char* reason; // part of the reader's error in the warning
};

void PrintTo(const DamagedConfig& c, std::ostream* os) {
    *os << c.what;
}

class DamagedConfigFile : public Configuration, public ::testing::WithParamInterface<DamagedConfig> {};

// Every damaged form is kept byte for byte as Config.Xml.bad with one warning naming the reader's
// error; the program goes on with the defaults, and the next start does not touch the copy.
TEST_P(DamagedConfigFile, IsSetAsideWithOneWarningAndTheDefaultsAreUsed) {
    const DamagedConfig& c = GetParam();
    const QString file = TAVConfiguration::GetConfigFile();
    WriteAll(file, c.bytes);
    RecordingMessageSink sink;
    TAVConfiguration config;
    EXPECT_FALSE(config.LoadAtStartup());
    ASSERT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(sink.Messages()[0].kind, MessageKind::Warning);
    EXPECT_NE(sink.Messages()[0].text.find(c.reason), std::string::npos) << sink.Messages()[0].text;
    EXPECT_NE(sink.Messages()[0].text.find((file + ".bad").toStdString()), std::string::npos);
    EXPECT_EQ(ReadAll(file + ".bad"), c.bytes);
    EXPECT_EQ(config.OutputFolder(), QDir::homePath() + "/Conversion");
    EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), 0);
    EXPECT_EQ(ReadAll(file), FirstStartFile());

    TAVConfiguration next; // the next start reads the fresh file quietly
    EXPECT_TRUE(next.LoadAtStartup());
    EXPECT_EQ(sink.Messages().size(), 1u);
    EXPECT_EQ(ReadAll(file + ".bad"), c.bytes);
    EXPECT_FALSE(QFileInfo::exists(file + ".bad.2"));
}

const std::string kGood = "<data><TAVConfiguration><PerformanceOptions><ThreadCount>4</ThreadCount>"
                          "</PerformanceOptions><OutputFolder>/mine</OutputFolder></TAVConfiguration></data>";

std::string RandomBytes() {
    std::string bytes;
    unsigned state = 12345;
    for (int i = 0; i < 600; ++i) {
        state = state * 1103515245u + 12345u;
        bytes += static_cast<char>((state >> 16) & 0xFF);
    }
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DamagedConfigFile,
    ::testing::Values(DamagedConfig{"random bytes", RandomBytes(), "Not an XML document"},
                      DamagedConfig{"truncated", kGood.substr(0, kGood.size() / 2), "Not an XML document"},
                      DamagedConfig{"plain text", "ThreadCount = 4\nOutputFolder = /mine\n",
                                    "Not an XML document"},
                      DamagedConfig{"empty", "", "Not an XML document"},
                      DamagedConfig{"another program's XML", "<settings><colour>red</colour></settings>",
                                    "holds no TAVConfiguration element"}),
    [](const ::testing::TestParamInfo<DamagedConfig>& info) { return "form" + std::to_string(info.index); });

// A count written by hand beyond what the options offer is brought into 0..32.
TEST_F(Configuration, ThreadCountFromTheFileStaysWithinItsRange) {
    for (const auto& [text, expected] : std::vector<std::pair<std::string, int>>{
             {"99999", kMaxThreadCount}, {"-3", 0}, {"32", 32}, {"7", 7}}) {
        WriteAll(TAVConfiguration::GetConfigFile(),
                 "<data><TAVConfiguration><PerformanceOptions><ThreadCount>" + text +
                     "</ThreadCount></PerformanceOptions>"
                     "</TAVConfiguration></data>");
        TAVConfiguration config;
        EXPECT_TRUE(config.LoadAtStartup());
        EXPECT_EQ(config.PerformanceOptions()->ThreadCount(), expected) << text;
    }
}

} // namespace
} // namespace vc::test
