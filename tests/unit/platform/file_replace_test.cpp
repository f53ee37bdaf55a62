#include "platform/error.h"
#include "platform/file_replace.h"
#include "support/file_text.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vc::test {
namespace {

// Writes beyond `bytes` fail with EFBIG while it lives, as writes on a full disk fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, old_handler_);
    }

private:
    rlimit old_{};
    void (*old_handler_)(int) = nullptr;
};

TEST(ReplaceFileContents, ReplacesWholeKeepsPermissionsAndAFailedWriteLeavesTheOldFile) {
    TempDir dir;
    const auto file = dir / "Config.Xml";
    const QString path = QString::fromStdString(file.string());
    ReplaceFileContents(path, "first");
    EXPECT_EQ(ReadAll(file), "first");
    ::chmod(file.c_str(), 0640);
    ReplaceFileContents(path, "second, longer");
    EXPECT_EQ(ReadAll(file), "second, longer");
    struct stat st = {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    {
        const FileSizeLimit full(4);
        try {
            ReplaceFileContents(path, "a text that does not fit");
            ADD_FAILURE() << "the write did not fail";
        } catch (const Error& e) {
            EXPECT_NE(std::string(e.what()).find(file.string()), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadAll(file), "second, longer");
    // Nothing of the failed write is left beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 1);

    EXPECT_THROW(ReplaceFileContents(QString::fromStdString((dir / "no/such/folder/f").string()), "x"),
                 Error);
}

} // namespace
} // namespace vc::test
