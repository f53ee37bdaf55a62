#pragma once
// A file read slowly through a "stream:" name: every read hands out at most a few kilobytes after
// a short sleep, so a conversion of it lasts long enough for a test to act in the middle of it.
// Header-only: for the test programs that link the engine's streams.
#include "engine/streams/stream.h"
#include "engine/streams/stream_source.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace vc::test {

class SlowFileStream final : public TStream {
public:
    SlowFileStream(const std::filesystem::path& file, std::chrono::microseconds pause,
                   int32_t chunk_bytes = 4096)
        : in_(file, std::ios::binary), size_(static_cast<int64_t>(std::filesystem::file_size(file))),
          pause_(pause), chunk_bytes_(chunk_bytes) {}

    int32_t Read(void* buffer, int32_t count) override {
        std::this_thread::sleep_for(pause_);
        in_.read(static_cast<char*>(buffer), std::min(count, chunk_bytes_));
        const auto got = static_cast<int32_t>(in_.gcount());
        in_.clear(); // a short read at the end leaves the stream usable for seeks
        bytes_read_ += got;
        return got;
    }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override {
        const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                             : origin == TSeekOrigin::soCurrent ? static_cast<int64_t>(in_.tellg())
                                                                : size_;
        in_.clear();
        in_.seekg(base + offset);
        return static_cast<int64_t>(in_.tellg());
    }
    int64_t GetSize() override { return size_; }

    // Bytes handed out so far (any thread).
    int64_t BytesRead() const { return bytes_read_.load(); }

private:
    std::ifstream in_;
    int64_t size_;
    std::chrono::microseconds pause_;
    int32_t chunk_bytes_;
    std::atomic<int64_t> bytes_read_{0};
};

// A slow file registered as a "stream:" source for as long as this object lives.
struct SlowSource {
    std::shared_ptr<SlowFileStream> stream;
    TStreamRegistration registration;
    SlowSource(const std::filesystem::path& file, std::chrono::microseconds pause, int32_t chunk_bytes = 4096)
        : stream(std::make_shared<SlowFileStream>(file, pause, chunk_bytes)), registration(stream) {}
    std::string Url() const { return registration.Url(); }
};

} // namespace vc::test
