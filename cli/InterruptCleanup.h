// SPDX-License-Identifier: MIT
#pragma once
// Temporary files that SIGINT, SIGTERM or SIGHUP must not leave behind. The signals are taken by
// a thread of their own (sigwait) rather than a handler, so the cleanup may lock, allocate and
// remove any number of files; an export in the middle of putting its files in place holds the
// cleanup off until it is done, so an interrupted export is either wholly there or wholly gone.

#include <filesystem>
#include <mutex>
#include <thread>

#include <signal.h>

namespace Cli {

// The process's temporary files and folders. Register a file before creating it and forget it once
// it has been renamed or removed.
class TemporaryFiles {
public:
    static void Add(const std::filesystem::path& path);
    static void Forget(const std::filesystem::path& path);
    // While held, an interruption waits; Add and Forget may still be called.
    static std::unique_lock<std::recursive_mutex> Hold();
    // Removes every registered file; the interruption's last act.
    static void RemoveAll();
};

// Owns the signal thread for its lifetime: construct it first in main, before any other thread
// starts, so every thread inherits the blocked signals. The signal, once the files are gone, ends
// the process as it would have without us.
class InterruptCleanup {
public:
    InterruptCleanup();
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

private:
    void Run();

    sigset_t signals_{};
    sigset_t previous_{};
    int wake_ = 0; // one of `signals_`; none when the caller ignores them all
    std::thread thread_;
};

} // namespace Cli
