#include "pulse_rig.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>

extern char** environ;

namespace vc::test {
namespace {

int64_t SteadyNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Spawns `argv` with `env` (the process's own environment when empty); stdout to `out_fd` and
// stderr to `err_path` when given. Returns the pid or -1.
int Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int out_fd,
          const std::string& err_path) {
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (out_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, out_fd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (!err_path.empty())
        posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    else
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0].c_str(), &actions, nullptr, argv.data(),
                                env.empty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

// Waits for `pid` up to `limit`; true when it ended.
bool WaitEnded(int pid, std::chrono::milliseconds limit, int* status = nullptr) {
    const auto end = std::chrono::steady_clock::now() + limit;
    int st = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &st, WNOHANG);
        if (r == pid || r < 0) {
            if (status)
                *status = st;
            return true;
        }
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void EndProcess(int pid) {
    kill(pid, SIGTERM);
    if (!WaitEnded(pid, std::chrono::seconds(5))) {
        kill(pid, SIGKILL);
        WaitEnded(pid, std::chrono::seconds(5));
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts the server before the first test and stops it after the last.
class PulseEnvironment final : public ::testing::Environment {
public:
    void SetUp() override { PulseRig::Instance(); }
    void TearDown() override { PulseRig::Shutdown(); }
};

[[maybe_unused]] const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new PulseEnvironment);

std::unique_ptr<PulseRig>& Holder() {
    static std::unique_ptr<PulseRig> rig;
    return rig;
}

} // namespace

PulseRig& PulseRig::Instance() {
    auto& rig = Holder();
    if (!rig) {
        rig.reset(new PulseRig);
        rig->Start();
    }
    return *rig;
}

void PulseRig::Shutdown() {
    Holder().reset();
}

PulseRig::PulseRig() = default;

PulseRig::~PulseRig() {
    Stop();
}

void PulseRig::Start() {
    char folder[] = "/tmp/vc-pulse-XXXXXX";
    if (!mkdtemp(folder)) {
        error_ = "cannot make the runtime folder";
        return;
    }
    dir_ = folder;
    std::filesystem::create_directories(dir_ + "/config");
    const std::string socket = dir_ + "/native";
    server_ = "unix:" + socket;
    {
        // Clients must never start a server of their own (the user's, or one in /root).
        std::ofstream conf(dir_ + "/client.conf");
        conf << "autospawn = no\n";
    }
    std::vector<std::string> env = {"HOME=" + dir_, "XDG_RUNTIME_DIR=" + dir_,
                                    "XDG_CONFIG_HOME=" + dir_ + "/config", "PULSE_RUNTIME_PATH=" + dir_,
                                    "PULSE_STATE_PATH=" + dir_};
    if (const char* path = std::getenv("PATH"))
        env.push_back(std::string("PATH=") + path);
    const std::vector<std::string> args = {
        "pulseaudio",
        "-n", // no default configuration: only the modules below
        "--daemonize=no",
        "--system=no",
        "--use-pid-file=no",
        "--disable-shm=yes",
        "--realtime=no",
        "--high-priority=no",
        "--exit-idle-time=60",
        "--log-target=stderr",
        "--log-level=error",
        "-L",
        std::string("module-null-sink sink_name=") + kSinkName + " rate=48000 channels=2",
        "-L",
        "module-native-protocol-unix auth-anonymous=1 socket=" + socket,
    };
    pid_ = Spawn(args, env, -1, dir_ + "/pulseaudio.log");
    if (pid_ <= 0) {
        error_ = "cannot start pulseaudio (is the pulseaudio package installed?)";
        pid_ = -1;
        return;
    }
    setenv("PULSE_SERVER", server_.c_str(), 1);
    setenv("PULSE_CLIENTCONFIG", (dir_ + "/client.conf").c_str(), 1);
    // Up when pactl gets an answer.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < limit) {
        int status = 0;
        if (WaitEnded(pid_, std::chrono::milliseconds(0), &status)) {
            error_ = "pulseaudio ended at once: " + ReadFile(dir_ + "/pulseaudio.log");
            pid_ = -1;
            return;
        }
        struct stat st {};
        if (stat(socket.c_str(), &st) == 0) {
            const int probe = Spawn({"pactl", "--server=" + server_, "info"}, {}, -1, "");
            int probe_status = 0;
            if (probe > 0 && WaitEnded(probe, std::chrono::seconds(5), &probe_status) &&
                WIFEXITED(probe_status) && WEXITSTATUS(probe_status) == 0)
                return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    error_ = "pulseaudio did not answer: " + ReadFile(dir_ + "/pulseaudio.log");
    Stop();
}

void PulseRig::Stop() {
    if (pid_ > 0)
        EndProcess(pid_);
    pid_ = -1;
    if (!dir_.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        dir_.clear();
    }
}

// --- recording the monitor ----------------------------------------------------------------------

PulseRig::Recording::Recording(const PulseRig& rig) {
    if (!rig.Running())
        return;
    int fds[2];
    if (pipe(fds) != 0)
        return;
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    pid_ = Spawn({"parec", "--server=" + rig.Server(), std::string("--device=") + kSinkName + ".monitor",
                  "--format=s16le", "--rate=" + std::to_string(kRecordRate), "--channels=1",
                  "--latency-msec=5", "--raw"},
                 {}, fds[1], "");
    close(fds[1]);
    if (pid_ <= 0) {
        close(fds[0]);
        pid_ = -1;
        return;
    }
    fd_ = fds[0];
    reader_ = std::thread([this] { Read(fd_); });
}

PulseRig::Recording::~Recording() {
    Stop();
}

void PulseRig::Recording::Stop() {
    if (pid_ > 0) {
        EndProcess(pid_);
        pid_ = -1;
    }
    if (reader_.joinable())
        reader_.join();
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

void PulseRig::Recording::Read(int fd) {
    uint8_t buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        const int64_t now = SteadyNs();
        std::lock_guard lock(mutex_);
        partial_.insert(partial_.end(), buffer, buffer + n);
        const size_t whole = partial_.size() / 2;
        Chunk chunk;
        chunk.arrived_ns = now;
        chunk.first_sample = static_cast<int64_t>(samples_.size());
        for (size_t i = 0; i < whole; ++i)
            samples_.push_back(static_cast<int16_t>(partial_[2 * i] | (partial_[2 * i + 1] << 8)));
        partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(2 * whole));
        chunk.end_sample = static_cast<int64_t>(samples_.size());
        if (chunk.end_sample > chunk.first_sample)
            chunks_.push_back(chunk);
    }
}

bool PulseRig::Recording::WaitUntilFlowing(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        {
            std::lock_guard lock(mutex_);
            if (samples_.size() >= static_cast<size_t>(kRecordRate / 10))
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::vector<int16_t> PulseRig::Recording::Samples() const {
    std::lock_guard lock(mutex_);
    return samples_;
}

int64_t PulseRig::Recording::SampleTimeNs(int64_t index) const {
    std::lock_guard lock(mutex_);
    int64_t offset = std::numeric_limits<int64_t>::max();
    for (const Chunk& c : chunks_)
        offset = std::min(offset, c.arrived_ns - c.end_sample * 1000000000 / kRecordRate);
    return offset + index * 1000000000 / kRecordRate;
}

} // namespace vc::test
