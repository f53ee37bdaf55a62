#pragma once
// Paths and small process helpers shared by the test programs.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace vc::test {

// The folder the "test_media" fixture fills (see tests/fixtures/make_media.sh).
std::filesystem::path MediaDir();
std::filesystem::path Media(const std::string& name);
std::filesystem::path VconvPath();
std::filesystem::path SourceDir();

// A fresh folder removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct ProcessResult {
    int exit_code = -1; // -1 when the program could not start or crashed
    std::string out;
    std::string err;
};

// Runs a program with arguments (no shell), waits at most `timeout`.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::seconds timeout = std::chrono::seconds(120));

// Independent judgements of an output file by the ffmpeg tools.
// True when `ffmpeg -v error -i FILE -f null -` decodes the file and prints no error.
bool DecodesCleanly(const std::filesystem::path& file, std::string* errors = nullptr);
// ffprobe's view: one entry per stream, "codec_type:codec_name".
std::vector<std::string> ProbeStreams(const std::filesystem::path& file);
// The container's duration in seconds, or -1.
double ProbeDuration(const std::filesystem::path& file);
// Any ffprobe -show_entries query, printed as csv without keys (p=0).
std::string Ffprobe(const std::filesystem::path& file, const std::vector<std::string>& args);

} // namespace vc::test
