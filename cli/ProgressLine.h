// SPDX-License-Identifier: MIT
#pragma once
// "stories 12 of 40" on standard error while an export runs, rewritten in place and wiped at the
// end, so a terminal shows where a long export is and keeps nothing of it afterwards.

#include "cli/ExportCommand.h"

#include <chrono>
#include <ostream>
#include <string>

namespace Cli {

class ProgressLine {
public:
    // `units` names what is counted ("stories", "pages"). A line that is not `shown` writes
    // nothing: standard error is not a terminal, or the user asked for quiet.
    ProgressLine(std::ostream& out, std::string units, bool shown);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Update(size_t done, size_t total);
    // Wipes the line; a message written afterwards starts on a clean line.
    void Clear();
    // Update, as the exporters take it; empty when nothing is shown.
    Progress Callback();

private:
    std::ostream& out_;
    std::string units_;
    bool shown_;
    size_t width_ = 0; // of the text on the line now
    std::chrono::steady_clock::time_point last_{};
};

// Whether standard error is a terminal.
bool ErrorIsTerminal();

} // namespace Cli
