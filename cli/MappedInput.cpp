// SPDX-License-Identifier: MIT
#include "cli/MappedInput.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Cli {

namespace {

// What the SIGBUS handler needs must be reachable from it without locks or allocation: a fixed
// table of the mapped inputs. A slot is taken by storing its end last and freed by clearing it
// first, so the handler never sees half an entry.
struct FaultSlot {
    std::atomic<uintptr_t> begin{0};
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> faulted{false};
};
constexpr size_t kSlots = 8;
std::array<FaultSlot, kSlots> faultSlots;
// Set once, before the handler is installed.
struct sigaction previousAction {};
std::atomic<uintptr_t> pageSize{4096};

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (FaultSlot& slot : faultSlots) {
        const uintptr_t end = slot.end.load();
        if (end == 0 || address < slot.begin.load() || address >= end)
            continue;
        // The page is past the file's new end: read it as zeros from now on.
        const uintptr_t page = pageSize.load();
        void* at = reinterpret_cast<void*>(address / page * page);
        if (::mmap(at, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) ==
            MAP_FAILED)
            break;
        slot.faulted.store(true);
        return;
    }
    // Not ours: whoever handled it before does, or the default action ends the process when the
    // access is tried again.
    if (previousAction.sa_flags & SA_SIGINFO && previousAction.sa_sigaction) {
        previousAction.sa_sigaction(signal, info, context);
        return;
    }
    if (previousAction.sa_handler != SIG_IGN && previousAction.sa_handler != SIG_DFL &&
        previousAction.sa_handler) {
        previousAction.sa_handler(signal);
        return;
    }
    ::signal(SIGBUS, SIG_DFL);
}

void InstallHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        pageSize.store(static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE)));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previousAction);
    });
}

int TakeSlot(const char* data, size_t size) {
    InstallHandler();
    for (size_t i = 0; i < kSlots; ++i) {
        uintptr_t free = 0;
        FaultSlot& slot = faultSlots[i];
        // Claim with `begin` (never 0 for a mapping), publish with `end`.
        if (!slot.begin.compare_exchange_strong(free, reinterpret_cast<uintptr_t>(data)))
            continue;
        slot.faulted.store(false);
        slot.end.store(reinterpret_cast<uintptr_t>(data) + size);
        return static_cast<int>(i);
    }
    return -1;
}

void FreeSlot(int index) {
    if (index < 0)
        return;
    FaultSlot& slot = faultSlots[static_cast<size_t>(index)];
    slot.end.store(0);
    slot.begin.store(0);
}

} // namespace

MappedInput::MappedInput(const std::filesystem::path& file) {
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        return;
    if (::fstat(fd_, &opened_) != 0 || !S_ISREG(opened_.st_mode) || opened_.st_size <= 0)
        return;
    const auto size = static_cast<size_t>(opened_.st_size);
    void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd_, 0);
    if (at == MAP_FAILED)
        return;
    data_ = static_cast<const char*>(at);
    size_ = size;
    slot_ = TakeSlot(data_, size_);
    ::madvise(at, size_, MADV_SEQUENTIAL);
}

MappedInput::~MappedInput() {
    FreeSlot(slot_);
    if (data_)
        ::munmap(const_cast<char*>(data_), size_);
    if (fd_ >= 0)
        ::close(fd_);
}

bool MappedInput::Changed() const noexcept {
    if (!data_)
        return false;
    if (slot_ >= 0 && faultSlots[static_cast<size_t>(slot_)].faulted.load())
        return true;
    struct stat now {};
    return ::fstat(fd_, &now) != 0 || now.st_size != opened_.st_size ||
           now.st_mtim.tv_sec != opened_.st_mtim.tv_sec ||
           now.st_mtim.tv_nsec != opened_.st_mtim.tv_nsec;
}

void MappedInput::DropBefore(size_t offset) noexcept {
    constexpr size_t kMargin = 64 * 1024;
    if (offset > kMargin)
        Drop(0, offset - kMargin);
}

void MappedInput::Drop(size_t begin, size_t end) noexcept {
    const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    begin = begin / page * page;
    end = std::min((end + page - 1) / page * page, (size_ + page - 1) / page * page);
    if (end > begin)
        ::madvise(const_cast<char*>(data_) + begin, end - begin, MADV_DONTNEED);
}

} // namespace Cli
