// SPDX-License-Identifier: MIT
// epubexport: turns a document (a JSON description, or a document another reader takes) into an
// EPUB 3 publication.

#include "cli/CommandLine.h"
#include "cli/InterruptCleanup.h"
#include "cli/Tool.h"

#include <csignal>
#include <iostream>
#include <malloc.h>

int main(int argc, char** argv) {
    // Documents are built in buffers of tens of kilobytes that live for one chapter. From the
    // system directly, they go back the moment they are freed instead of keeping the heap at its
    // high-water mark; left to itself, glibc raises this threshold after the first such free.
    ::mallopt(M_MMAP_THRESHOLD, 32 * 1024);
    // First, so every thread started later leaves the signals to its cleanup thread.
    const Cli::InterruptCleanup cleanup;
    const Cli::ParsedCommandLine parsed = Cli::ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (!parsed.command)
        return parsed.status;
    // A reader that goes away is a failed export, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    return Cli::RunTool(*parsed.command, std::cout, std::cerr);
}
