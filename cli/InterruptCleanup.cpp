// SPDX-License-Identifier: MIT
#include "cli/InterruptCleanup.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <set>

#include <pthread.h>
#include <unistd.h>

namespace Cli {

namespace fs = std::filesystem;

namespace {

// Signals arrive for the whole process, so the files they clean up are the process's too: this
// is the one piece of process-wide state.
struct Registry {
    std::recursive_mutex mutex;
    std::set<fs::path> files;
    std::atomic<bool> stopping{false};
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

} // namespace

void TemporaryFiles::Add(const fs::path& path) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.files.insert(path);
}

void TemporaryFiles::Forget(const fs::path& path) {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    r.files.erase(path);
}

std::unique_lock<std::recursive_mutex> TemporaryFiles::Hold() {
    return std::unique_lock(TheRegistry().mutex);
}

void TemporaryFiles::RemoveAll() {
    Registry& r = TheRegistry();
    const std::lock_guard lock(r.mutex);
    // Backwards, so a folder's files go before the folder itself.
    for (auto it = r.files.rbegin(); it != r.files.rend(); ++it)
        if (::unlink(it->c_str()) != 0 && errno == EISDIR)
            ::rmdir(it->c_str());
    r.files.clear();
}

InterruptCleanup::InterruptCleanup() {
    sigemptyset(&signals_);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction current {};
        // A signal the caller ignores (nohup, a background job) stays ignored.
        if (sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN)
            continue;
        sigaddset(&signals_, signal);
        wake_ = signal;
    }
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    if (wake_ == 0)
        return;
    TheRegistry().stopping = false;
    thread_ = std::thread([this] { Run(); });
}

InterruptCleanup::~InterruptCleanup() {
    if (thread_.joinable()) {
        TheRegistry().stopping = true;
        // Wakes the thread with a signal it waits for; `stopping` tells it apart.
        pthread_kill(thread_.native_handle(), wake_);
        thread_.join();
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void InterruptCleanup::Run() {
    int signal = 0;
    while (sigwait(&signals_, &signal) != 0) {
    }
    if (TheRegistry().stopping)
        return;
    // Holds the lock to the end so no export renames or creates a file after the cleanup.
    const auto hold = TemporaryFiles::Hold();
    TemporaryFiles::RemoveAll();
    std::signal(signal, SIG_DFL);
    sigset_t only{};
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

} // namespace Cli
