#include "platform/thread_sem.h"

#include "platform/error.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <sys/ipc.h>
#include <sys/sem.h>
#include <thread>
#include <unistd.h>

namespace vc {

namespace {

// semctl's fourth argument; glibc leaves the union to the caller.
union SemArg {
    int val;
    semid_ds* buf;
    unsigned short* array;
};

constexpr int kWaitSliceMs = 50;
// How long an opener waits for the creator to finish setting the count before it takes the set
// for the remains of a creator that died half-way.
constexpr auto kInitTimeout = std::chrono::seconds(5);

std::string Describe(const std::string& what, const std::string& name, int err) {
    return what + " \"" + name + "\": " + std::strerror(err);
}

// Keyed by user and name, so two users never share a pool and two names never meet. FNV-1a is
// stable across builds, which every running copy relies on.
key_t KeyFor(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    auto mix = [&hash](const void* data, std::size_t size) {
        auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 16777619u;
        }
    };
    static const char kSalt[] = "videoconverter.slots";
    mix(kSalt, sizeof kSalt);
    const uid_t uid = geteuid();
    mix(&uid, sizeof uid);
    mix(name.data(), name.size());
    auto key = static_cast<key_t>(hash & 0x7fffffff);
    return key == IPC_PRIVATE ? 1 : key;
}

bool IsInitialised(int id, bool* gone) {
    semid_ds ds{};
    SemArg arg{};
    arg.buf = &ds;
    if (semctl(id, 0, IPC_STAT, arg) == -1) {
        *gone = true;
        return false;
    }
    return ds.sem_otime != 0;
}

// Returns the id of the set, creating and initialising it when it is missing. The creator sets
// the count with a semop (not SETVAL) because that also stamps sem_otime, which tells the other
// openers that the set is ready; a set whose creator died before that is removed and made again.
int OpenOrCreate(const std::string& name, int initial_count) {
    const key_t key = KeyFor(name);
    for (int attempt = 0; attempt < 20; ++attempt) {
        int id = semget(key, 1, IPC_CREAT | IPC_EXCL | 0600);
        if (id != -1) {
            sembuf op{0, static_cast<short>(initial_count), 0};
            if (semop(id, &op, 1) == -1) {
                const int err = errno;
                semctl(id, 0, IPC_RMID);
                throw Error(Describe("Cannot set up the semaphore", name, err));
            }
            return id;
        }
        if (errno != EEXIST)
            throw Error(Describe("Cannot create the semaphore", name, errno));
        id = semget(key, 1, 0600);
        if (id == -1) {
            if (errno == ENOENT)
                continue; // removed between the two calls
            throw Error(Describe("Cannot open the semaphore", name, errno));
        }
        const auto deadline = std::chrono::steady_clock::now() + kInitTimeout;
        bool gone = false;
        while (!IsInitialised(id, &gone) && !gone && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (gone)
            continue;
        if (IsInitialised(id, &gone))
            return id;
        // The creator never finished; removing this id cannot hit a newer set with the same key.
        semctl(id, 0, IPC_RMID);
    }
    throw Error("Cannot open the semaphore \"" + name + "\": it keeps disappearing");
}

class SysVSemaphore final : public TSemaphore {
public:
    SysVSemaphore(std::string name, int id) : name_(std::move(name)), id_(id) {}

    ~SysVSemaphore() override {
        // Nobody can give these back after us.
        while (held_.load() > 0)
            Release();
    }

    SysVSemaphore(const SysVSemaphore&) = delete;
    SysVSemaphore& operator=(const SysVSemaphore&) = delete;

    bool Acquire(const std::function<bool()>& cancelled) override {
        for (;;) {
            if (cancelled && cancelled())
                return false;
            sembuf op{0, -1, SEM_UNDO};
            timespec slice{0, kWaitSliceMs * 1000000L};
            if (semtimedop(id_, &op, 1, &slice) == 0) {
                held_.fetch_add(1);
                return true;
            }
            if (errno == EAGAIN || errno == EINTR)
                continue;
            throw Error(Describe("Cannot wait for the semaphore", name_, errno));
        }
    }

    void Release() override {
        int held = held_.load();
        do {
            if (held <= 0)
                return;
        } while (!held_.compare_exchange_weak(held, held - 1));
        sembuf op{0, 1, SEM_UNDO};
        while (semop(id_, &op, 1) == -1 && errno == EINTR) {
        }
        // Any other failure means the set was removed: there is no pool left to give back to.
    }

private:
    const std::string name_;
    const int id_;
    std::atomic<int> held_{0}; // units taken through this object and not yet given back
};

} // namespace

int DefaultSlotCount() {
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<int>(std::clamp<long>(processors, 2, 1024));
}

std::unique_ptr<TSemaphore> OpenNamedSemaphore(const std::string& name, int initial_count) {
    const int count = initial_count > 0 ? std::min(initial_count, 32767) : DefaultSlotCount();
    return std::make_unique<SysVSemaphore>(name, OpenOrCreate(name, count));
}

int NamedSemaphoreValue(const std::string& name) {
    const int id = semget(KeyFor(name), 1, 0600);
    if (id == -1)
        return -1;
    return semctl(id, 0, GETVAL);
}

bool RemoveNamedSemaphore(const std::string& name) {
    const int id = semget(KeyFor(name), 1, 0600);
    return id != -1 && semctl(id, 0, IPC_RMID) == 0;
}

} // namespace vc
