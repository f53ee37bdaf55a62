#pragma once
// A private PulseAudio server for the preview's tests, so the sound-device path runs for real on a
// machine without sound hardware: a null sink in a runtime folder of its own, started before the
// first test of the program and stopped after the last (it also exits by itself a minute after its
// last client left, should the program die). Every client of the test program (QAudioSink, parec)
// reaches it through PULSE_SERVER. The null sink's monitor can be recorded to see when sound came
// out.
//
// Run as root (as CI does) pulseaudio warns that it is not meant for root and goes on in this
// per-user mode; its cookie and state go to the private folder, as HOME and the XDG folders of
// the server alone point there.
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vc::test {

class PulseRig {
public:
    // The program's server, started on first use; Running() tells whether it came up.
    static PulseRig& Instance();
    // Stops the server (the program's end).
    static void Shutdown();

    bool Running() const { return pid_ > 0; }
    const std::string& Error() const { return error_; }
    const std::string& Server() const { return server_; }
    static constexpr const char* kSinkName = "vc_null";
    static constexpr int kRecordRate = 48000;

    // Records the null sink's monitor, mono 16-bit at kRecordRate, while it lives.
    class Recording {
    public:
        explicit Recording(const PulseRig& rig);
        ~Recording();
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;
        bool Started() const { return pid_ > 0; }
        // Waits until sound arrives from the monitor (parec takes a moment to connect).
        bool WaitUntilFlowing(std::chrono::milliseconds limit);
        // Ends the recording (waits for parec to end); the samples stay.
        void Stop();
        std::vector<int16_t> Samples() const;
        // The steady-clock time (ns) at which sample `index` sounded, from the times the chunks
        // arrived: each chunk arrives after its samples sounded, so the earliest arrival relative to
        // its samples bounds the delay from below.
        int64_t SampleTimeNs(int64_t index) const;

    private:
        void Read(int fd);
        struct Chunk {
            int64_t arrived_ns = 0;
            int64_t first_sample = 0, end_sample = 0;
        };
        int pid_ = -1;
        int fd_ = -1;
        std::thread reader_;
        mutable std::mutex mutex_; // guards samples_, chunks_, partial_
        std::vector<int16_t> samples_;
        std::vector<Chunk> chunks_;
        std::vector<uint8_t> partial_;
    };

    ~PulseRig();

private:
    PulseRig();
    void Start();
    void Stop();

    int pid_ = -1;
    std::string dir_;
    std::string server_;
    std::string error_;
};

} // namespace vc::test
