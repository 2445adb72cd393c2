// SPDX-License-Identifier: MIT
#include "cli/Messages.h"

namespace Cli {

void Messages::Say(const std::string& message) {
    if (verbosity_ == Verbosity::Verbose)
        err_ << "epubexport: " << Named(message) << "\n";
}

void Messages::Warn(const std::string& message) {
    ++warnings_;
    if (verbosity_ != Verbosity::Quiet)
        err_ << "epubexport: warning: " << Named(message) << "\n";
}

int Messages::Error(int status, const std::string& message) {
    err_ << "epubexport: " << Named(message) << "\n";
    return status;
}

void Messages::Findings(const std::string& source,
                        const std::vector<Readers::ReaderFinding>& findings) {
    for (const Readers::ReaderFinding& finding : findings)
        Warn(source + ": " + finding.where + ": " + finding.message);
}

void Messages::Rename(std::string copy, std::string name) {
    copy_ = std::move(copy);
    name_ = std::move(name);
}

std::string Messages::Named(std::string message) const {
    if (copy_.empty())
        return message;
    for (size_t at = 0; (at = message.find(copy_, at)) != std::string::npos; at += name_.size())
        message.replace(at, copy_.size(), name_);
    return message;
}

} // namespace Cli
