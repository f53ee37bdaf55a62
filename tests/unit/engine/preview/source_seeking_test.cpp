// The seeking interface of the preview source: flags, positions and formats.
#include "engine/preview/source_seeking.h"

#include <gtest/gtest.h>

namespace vc {
namespace {

class CountingSeeking final : public TBCSourceSeeking {
public:
    CountingSeeking() : TBCSourceSeeking("test") {}
    int PinCount() const override { return 0; }
    SourceStream* GetPin(int) override { return nullptr; }
    int start_changes = 0, stop_changes = 0;

protected:
    HResult ChangeStart() override {
        ++start_changes;
        return S_OK;
    }
    HResult ChangeStop() override {
        ++stop_changes;
        return S_OK;
    }
};

TEST(SourceSeeking, SetPositionsFlags) {
    struct Case {
        const char* what;
        uint32_t current_flags, stop_flags;
        HResult result;
        RefTime start, previous, stop;
        int start_changes, stop_changes;
    };
    // Every case starts from start 10, stop 100 and passes current 5, stop 7.
    const Case cases[] = {
        {"absolute", 1, 0, S_OK, 5, 10, 100, 1, 0},
        {"absolute + key frame", 1 | AM_SEEKING_SeekToKeyFrame, 0, S_OK, 5, 10, 100, 1, 0},
        {"relative", 2, 0, S_OK, 15, 10, 100, 1, 0},
        {"stop absolute", 0, 1, S_OK, 10, 0, 7, 0, 1},
        {"stop relative", 0, 2, S_OK, 10, 0, 107, 0, 1},
        {"stop incremental from the new start", 1, 3, S_OK, 5, 10, 12, 1, 1},
        {"nothing", 0, 0, S_OK, 10, 0, 100, 0, 0},
        {"stop absolute + extra bit", 0, 1 | AM_SEEKING_ReturnTime, E_INVALIDARG, 10, 0, 100, 0, 0},
        {"current without positioning bits", AM_SEEKING_SeekToKeyFrame, 0, E_INVALIDARG, 10, 0, 100, 0, 0},
        {"current incremental", 3, 0, E_INVALIDARG, 10, 0, 100, 0, 0},
    };
    for (const Case& c : cases) {
        CountingSeeking s;
        RefTime start = 10, stop = 100;
        ASSERT_EQ(s.SetPositions(&start, 1, &stop, 1), S_OK);
        s.start_changes = s.stop_changes = 0;
        // Reset the previous start recorded by the set-up call.
        RefTime zero = 0;
        ASSERT_EQ(s.SetPositions(&zero, 2, nullptr, 0), S_OK);
        s.start_changes = 0;
        RefTime current = 5, new_stop = 7;
        EXPECT_EQ(s.SetPositions(&current, c.current_flags, &new_stop, c.stop_flags), c.result) << c.what;
        RefTime got_start = -1, got_stop = -1;
        s.GetPositions(&got_start, &got_stop);
        EXPECT_EQ(got_start, c.start) << c.what;
        EXPECT_EQ(got_stop, c.stop) << c.what;
        if (c.current_flags && c.result == S_OK) {
            EXPECT_EQ(s.PreviousStartPosition(), c.previous) << c.what;
        }
        EXPECT_EQ(s.start_changes, c.start_changes) << c.what;
        EXPECT_EQ(s.stop_changes, c.stop_changes) << c.what;
    }
}

TEST(SourceSeeking, CapabilitiesFormatsAndPlainQueries) {
    CountingSeeking s;
    uint32_t caps = 0;
    EXPECT_EQ(s.GetCapabilities(&caps), S_OK);
    EXPECT_EQ(caps, 0x37u);
    uint32_t asked = 0x05;
    EXPECT_EQ(s.CheckCapabilities(&asked), S_OK);
    asked = 0x08; // can get the current position: not offered
    EXPECT_EQ(s.CheckCapabilities(&asked), S_FALSE);

    EXPECT_EQ(s.IsFormatSupported(TimeFormat::MediaTime), S_OK);
    EXPECT_EQ(s.IsFormatSupported(TimeFormat::Frame), S_FALSE);
    EXPECT_EQ(s.SetTimeFormat(TimeFormat::MediaTime), S_OK);
    EXPECT_EQ(s.SetTimeFormat(TimeFormat::Byte), E_INVALIDARG);
    EXPECT_EQ(s.IsUsingTimeFormat(TimeFormat::Sample), S_FALSE);

    RefTime target = 0;
    const TimeFormat media = TimeFormat::MediaTime, frame = TimeFormat::Frame;
    EXPECT_EQ(s.ConvertTimeFormat(&target, nullptr, 42, &media), S_OK);
    EXPECT_EQ(target, 42);
    EXPECT_EQ(s.ConvertTimeFormat(&target, &frame, 42, nullptr), E_INVALIDARG);

    RefTime current = 0;
    EXPECT_EQ(s.GetCurrentPosition(&current), E_NOTIMPL);
    RefTime duration = 0, earliest = -1, latest = 0;
    s.GetDuration(&duration);
    EXPECT_EQ(duration, kMaxRefTime);
    s.GetAvailable(&earliest, &latest);
    EXPECT_EQ(earliest, 0);
    EXPECT_EQ(latest, kMaxRefTime);
    EXPECT_EQ(s.SetRate(2.0), S_OK);
    double rate = 0;
    s.GetRate(&rate);
    EXPECT_EQ(rate, 2.0);
}

} // namespace
} // namespace vc
