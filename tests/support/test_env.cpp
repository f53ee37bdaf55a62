#include "support/test_env.h"

#include <QStringList>
#include <QTemporaryDir>
#include <sstream>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#include <stdexcept>

namespace vc::test {

std::filesystem::path MediaDir() {
    if (const char* env = std::getenv("VC_TEST_MEDIA"))
        return env;
    return VC_TEST_MEDIA_DIR;
}

std::filesystem::path Media(const std::string& name) {
    return MediaDir() / name;
}
std::filesystem::path VconvPath() {
    return VC_VCONV_PATH;
}
std::filesystem::path SourceDir() {
    return VC_SOURCE_DIR;
}

TempDir::TempDir() {
    QTemporaryDir dir;
    dir.setAutoRemove(false);
    if (!dir.isValid())
        throw std::runtime_error("cannot create a temporary folder");
    path_ = dir.path().toStdString();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         std::chrono::seconds timeout) {
    // posix_spawn rather than QProcess: forking a threaded test program through Qt's process
    // code leaves ThreadSanitizer with a wrong picture of the parent's locks, so every later
    // report in that program would be suspect.
    ProcessResult result;
    int out_pipe[2];
    int err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0)
        return result;
    if (pipe2(err_pipe, O_CLOEXEC) != 0) {
        close(out_pipe[0]);
        close(out_pipe[1]);
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);
    std::vector<std::string> storage{program};
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : storage)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);
    if (spawned != 0) {
        close(out_pipe[0]);
        close(err_pipe[0]);
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_pipes = 2;
    bool killed = false;
    while (open_pipes > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(std::min<long long>(left.count(), 1000))) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[65536];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_pipes;
            }
        }
    }
    for (auto& fd : fds)
        if (fd.fd >= 0)
            close(fd.fd);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!killed && WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    return result;
}

bool DecodesCleanly(const std::filesystem::path& file, std::string* errors) {
    auto r = RunProcess("ffmpeg", {"-nostdin", "-v", "error", "-i", file.string(), "-f", "null", "-"});
    // Lines of the null muxer ("[null @ …]") judge the time stamps the checking ffmpeg hands
    // itself, not the file: its own MPEG-PS outputs with AC-3 or MP2 audio draw the same
    // "non monotonically increasing dts" line. Every decoder and demuxer line still counts.
    std::string kept;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);)
        if (!line.starts_with("[null @"))
            kept += line + "\n";
    if (errors)
        *errors = r.err;
    return r.exit_code == 0 && kept.empty();
}

std::string Ffprobe(const std::filesystem::path& file, const std::vector<std::string>& args) {
    std::vector<std::string> all{"-v", "error"};
    all.insert(all.end(), args.begin(), args.end());
    all.insert(all.end(), {"-of", "csv=p=0", file.string()});
    return RunProcess("ffprobe", all).out;
}

std::vector<std::string> ProbeStreams(const std::filesystem::path& file) {
    std::istringstream lines(Ffprobe(file, {"-show_entries", "stream=codec_type,codec_name"}));
    std::vector<std::string> streams;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty())
            continue;
        // csv order is codec_name,codec_type
        auto comma = line.find(',');
        if (comma == std::string::npos)
            continue;
        streams.push_back(line.substr(comma + 1) + ":" + line.substr(0, comma));
    }
    return streams;
}

double ProbeDuration(const std::filesystem::path& file) {
    auto text = Ffprobe(file, {"-show_entries", "format=duration"});
    try {
        return std::stod(text);
    } catch (...) {
        return -1;
    }
}

} // namespace vc::test
