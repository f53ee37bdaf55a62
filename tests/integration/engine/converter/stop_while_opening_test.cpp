// A stop asked for while the run still opens its input is kept: the run ends as stopped as soon
// as the input is open, instead of converting everything.
#include "conversion_harness.h"
#include "support/test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace vc::test {
namespace {

TEST(RunControl, StopWhileTheInputOpensIsKept) {
    TempDir dir;
    // Opening a named pipe waits for its writer: the run stays in its open phase until then.
    const std::string fifo = (dir / "input.ts").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    TAVConverter converter;
    RunRecord record;
    Record(converter, record);
    auto* o = converter.ConvertOptions();
    o->VideoOptions()->SetVideoStreamCopy(true);
    o->AudioOptions()->SetAudioStreamCopy(true);
    converter.SetInputFiles({QString::fromStdString(fifo)});
    converter.SetOutputFiles({QString::fromStdString((dir / "out.ts").string())});
    converter.Start(nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_TRUE(converter.IsBusy());
    converter.Stop();

    // The run closes the pipe early: the writer gets an error, not the signal that ends processes.
    signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        std::ofstream pipe(fifo, std::ios::binary);
        std::ifstream source(Media("mpeg2.ts"), std::ios::binary);
        pipe << source.rdbuf(); // ends early (a broken pipe) once the run has stopped reading
    });
    ASSERT_TRUE(converter.WaitForIdle(60000));
    writer.join();
    EXPECT_EQ(record.completed, 0);
    EXPECT_EQ(record.stopped, 1);
    EXPECT_EQ(converter.State(), TAVConverter::cvIdle);
}

} // namespace
} // namespace vc::test
