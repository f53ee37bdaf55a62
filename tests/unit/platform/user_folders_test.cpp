#include "platform/user_folders.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cstdlib>
#include <string>

namespace vc {

namespace {

// Sets XDG_DATA_HOME for one test and restores it.
class DataHome {
public:
    explicit DataHome(const char* value) {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            old_ = old, had_ = true;
        if (value)
            setenv("XDG_DATA_HOME", value, 1);
        else
            unsetenv("XDG_DATA_HOME");
    }
    ~DataHome() {
        if (had_)
            setenv("XDG_DATA_HOME", old_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
    }

private:
    std::string old_;
    bool had_ = false;
};

} // namespace

TEST(SpecialFolders, AppDataFollowsXdgDataHome) {
    {
        DataHome env("/tmp/vc-data");
        EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), "/tmp/vc-data/");
        EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA | 0x8000), "/tmp/vc-data/"); // creation flag masked off
        EXPECT_EQ(GetAppDataFolder(), "/tmp/vc-data/Quorvane/VideoConverterCHS/");
    }
    const QString fallback = QDir::homePath() + "/.local/share/";
    {
        DataHome env(nullptr);
        EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), fallback);
    }
    {
        DataHome env("relative/path"); // not absolute: ignored
        EXPECT_EQ(GetSpecialFolder(CSIDL_APPDATA), fallback);
    }
    EXPECT_EQ(GetSpecialFolder(CSIDL_PROFILE), QDir::homePath() + "/");
    EXPECT_EQ(GetSpecialFolder(0x2b), ""); // a folder this desktop does not have
}

} // namespace vc
