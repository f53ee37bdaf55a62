#pragma once
// vconv's task commands against a task store in a temporary application-data folder and a slot
// pool of the test's own (named after the process and the test, sized per test).
#include "platform/thread_sem.h"
#include "store/sqlite_db.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <QString>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vc::test {

class TaskCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* old = std::getenv("XDG_DATA_HOME"))
            old_xdg_ = old, had_xdg_ = true;
        setenv("XDG_DATA_HOME", dir_.path().c_str(), 1); // inherited by vconv
        pool_ = "vc-clitest-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RemoveNamedSemaphore(pool_);
        setenv("VCONV_SLOT_POOL", pool_.c_str(), 1);
        SetSlots(2);
    }
    void TearDown() override {
        if (had_xdg_)
            setenv("XDG_DATA_HOME", old_xdg_.c_str(), 1);
        else
            unsetenv("XDG_DATA_HOME");
        unsetenv("VCONV_SLOT_POOL");
        unsetenv("VCONV_SLOTS");
        RemoveNamedSemaphore(pool_);
    }
    // The pool's size when the next vconv creates it.
    void SetSlots(int n) { setenv("VCONV_SLOTS", std::to_string(n).c_str(), 1); }

    ProcessResult Vconv(const std::vector<std::string>& args,
                        std::chrono::seconds timeout = std::chrono::seconds(60)) {
        return RunProcess(VconvPath().string(), args, timeout);
    }
    std::filesystem::path DataFolder() const { return dir_ / "Quorvane/VideoConverterCHS"; }
    std::string StorePath() const { return (DataFolder() / "av.cfg").string(); }
    // A first command creates the store; the test then reads or changes it directly.
    std::unique_ptr<SqliteDb> OpenStore() {
        if (!std::filesystem::exists(StorePath())) {
            EXPECT_EQ(Vconv({"tasks"}).exit_code, 0);
        }
        return std::make_unique<SqliteDb>(StorePath());
    }
    static std::int64_t Count(SqliteDb& db, const std::string& sql) {
        auto& s = db.Prepare("SELECT COUNT(*) AS n FROM (" + sql + ")");
        s.Reset();
        return s.Step() ? s.Int64("n") : -1;
    }

    // A clip long enough to be caught converting: `seconds` of 320x240 H.264 with AAC.
    std::filesystem::path MakeClip(const std::string& name, int seconds,
                                   const std::string& size = "320x240") {
        const auto path = dir_ / name;
        const std::string length = std::to_string(seconds);
        const ProcessResult r = RunProcess(
            "ffmpeg",
            {"-nostdin", "-v",      "error",     "-y",
             "-f",       "lavfi",   "-i",        "testsrc=size=" + size + ":rate=25:duration=" + length,
             "-f",       "lavfi",   "-i",        "sine=frequency=440:duration=" + length,
             "-c:v",     "libx264", "-preset",   "ultrafast",
             "-c:a",     "aac",     "-shortest", path.string()});
        EXPECT_EQ(r.exit_code, 0) << r.err;
        return path;
    }

    TempDir dir_;
    std::string pool_;

private:
    std::string old_xdg_;
    bool had_xdg_ = false;
};

} // namespace vc::test
