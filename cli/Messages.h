// SPDX-License-Identifier: MIT
#pragma once
// What the tool says on standard error, as -q and -v ask: errors always, warnings unless quiet
// (counted either way, for --fail-on-warnings), the account of what was done only when verbose.
//   epubexport: MESSAGE
//   epubexport: warning: FILE: WHERE: MESSAGE

#include "cli/CommandLine.h"
#include "readers/common/ReaderDocument.h"

#include <ostream>
#include <string>
#include <vector>

namespace Cli {

class Messages {
public:
    Messages(std::ostream& err, Verbosity verbosity) : err_(err), verbosity_(verbosity) {}

    void Say(const std::string& message);
    void Warn(const std::string& message);
    // Prints the error and gives back `status`, for `return messages.Error(...)`.
    int Error(int status, const std::string& message);

    // What a reader found and the export will not show as the source does.
    void Findings(const std::string& source, const std::vector<Readers::ReaderFinding>& findings);

    // From now on a message naming the file `copy` names `name` instead: readers name the file
    // they read, and a copy of standard input is not the user's name for it.
    void Rename(std::string copy, std::string name);

    size_t Warnings() const noexcept { return warnings_; }
    // The status of an export that succeeded.
    int Succeeded(bool failOnWarnings) const noexcept {
        return failOnWarnings && warnings_ > 0 ? kExitFindings : kExitOk;
    }

private:
    std::string Named(std::string message) const;

    std::ostream& err_;
    Verbosity verbosity_;
    size_t warnings_ = 0;
    std::string copy_, name_;
};

} // namespace Cli
