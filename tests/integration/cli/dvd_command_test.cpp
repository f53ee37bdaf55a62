#include "support/test_env.h"

#include <gtest/gtest.h>

namespace vc {
namespace {

test::ProcessResult Vconv(const std::vector<std::string>& args) {
    return test::RunProcess(test::VconvPath().string(), args);
}

std::string Dvd(const std::string& name) {
    return (test::MediaDir() / "dvd" / name).string();
}

TEST(VconvDvd, ListsTitlesAsTheWizardShowsThem) {
    auto r = Vconv({"dvd", "info", Dvd("disc.iso")});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "Volume: TESTDVD\n"
                     "1(00:00:25)  title 1  chapters 5  angles 1  audio 2  subtitles 0\n"
                     "2(00:00:08)  title 2  chapters 1  angles 1  audio 1  subtitles 0\n");

    // A title that does not scan is left out: list positions and title numbers part ways.
    r = Vconv({"dvd", "info", Dvd("damaged_vts")});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_NE(r.out.find("1(00:00:25)  title 1"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("title 2"), std::string::npos) << r.out;
}

TEST(VconvDvd, FailuresAndUsage) {
    struct Case {
        std::vector<std::string> args;
        int exit_code;
        std::string err;
    } cases[] = {
        {{"dvd", "info", Dvd("damaged_vmg")}, 1, "Can not open DVD\n"},
        {{"dvd", "info", "/nonexistent"}, 1, "Can not open DVD\n"},
        {{"dvd", "list", Dvd("disc")}, 2, "vconv dvd: expected 'info PATH'"},
        {{"drives", "extra"}, 2, "vconv drives: takes no arguments"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        auto r = Vconv(c.args);
        EXPECT_EQ(r.exit_code, c.exit_code);
        EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << r.err;
    }
    EXPECT_EQ(Vconv({"drives"}).exit_code, 0);
}

} // namespace
} // namespace vc
