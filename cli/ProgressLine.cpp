// SPDX-License-Identifier: MIT
#include "cli/ProgressLine.h"

#include <unistd.h>

namespace Cli {

namespace {

// A terminal redrawn more often than this only flickers.
constexpr auto kInterval = std::chrono::milliseconds(100);

} // namespace

ProgressLine::ProgressLine(std::ostream& out, std::string units, bool shown)
    : out_(out), units_(std::move(units)), shown_(shown) {}

ProgressLine::~ProgressLine() {
    Clear();
}

void ProgressLine::Update(size_t done, size_t total) {
    if (!shown_)
        return;
    const auto now = std::chrono::steady_clock::now();
    // The first and last counts always show; those between at most every interval.
    if (width_ > 0 && done < total && now - last_ < kInterval)
        return;
    last_ = now;
    const std::string text = units_ + " " + std::to_string(done) + " of " + std::to_string(total);
    // Spaces over what a longer line before left behind.
    const size_t pad = width_ > text.size() ? width_ - text.size() : 0;
    out_ << '\r' << text << std::string(pad, ' ') << std::flush;
    width_ = text.size();
}

void ProgressLine::Clear() {
    if (width_ == 0)
        return;
    out_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

Progress ProgressLine::Callback() {
    if (!shown_)
        return {};
    return [this](size_t done, size_t total) { Update(done, total); };
}

bool ErrorIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace Cli
