// SPDX-License-Identifier: MIT
#include "cli/FolderExporter.h"

#include "cli/InterruptCleanup.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Cli {

namespace fs = std::filesystem;

FolderExporter::FolderExporter(Foundation::Counted<EPub::ExportSettings> settings,
                               Foundation::Counted<const EPub::FlowingEPubOptions> options,
                               fs::path folder)
    : HtmlExporter(std::move(settings), std::move(options)), folder_(std::move(folder)) {}

FolderExporter::~FolderExporter() {
    for (File& file : files_) {
        file.stream.Reset();
        if (!file.temp.empty()) {
            ::unlink(file.temp.c_str());
            TemporaryFiles::Forget(file.temp);
        }
    }
}

Foundation::Counted<Foundation::OutStream>
FolderExporter::BeginStream(const Foundation::StringT& name, StreamType type) {
    const fs::path final = folder_ / name.str();
    const auto fail = [&](const std::string& why) -> Foundation::Counted<Foundation::OutStream> {
        if (failure_.empty())
            failure_ = "cannot write \"" + final.string() + "\": " + why;
        return nullptr;
    };
    // The library's own rules, as for any embedder.
    if (!AcceptStreamName(name, type))
        return fail(GetLastError().str());
    std::error_code error;
    fs::create_directories(final.parent_path(), error);
    if (error)
        return fail(error.message());
    const fs::path temp = final.parent_path() / ("." + final.filename().string() + "." +
                                                 std::to_string(::getpid()) + ".tmp");
    TemporaryFiles::Add(temp);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        TemporaryFiles::Forget(temp);
        return fail(std::strerror(error));
    }
    auto stream = Foundation::MakeCounted<DescriptorStream>(fd, true, true);
    files_.push_back({temp, final, stream});
    return stream;
}

std::string FolderExporter::FirstFailure() const {
    if (!failure_.empty())
        return failure_;
    for (const File& file : files_)
        if (!file.stream->Error().empty())
            return "cannot write \"" + file.final.string() + "\": " + file.stream->Error();
    return {};
}

void FolderExporter::Commit() {
    if (!failure_.empty())
        throw OutputError(failure_);
    for (File& file : files_)
        if (!file.stream->Finish(true))
            throw OutputError("cannot write \"" + file.final.string() +
                              "\": " + file.stream->Error());
    // An interruption waits until every file is in place.
    const auto hold = TemporaryFiles::Hold();
    for (File& file : files_) {
        if (::rename(file.temp.c_str(), file.final.c_str()) != 0)
            throw OutputError("cannot write \"" + file.final.string() +
                              "\": " + std::strerror(errno));
        TemporaryFiles::Forget(file.temp);
        file.temp.clear();
    }
    std::set<fs::path> folders;
    for (const File& file : files_)
        folders.insert(file.final.parent_path());
    for (const fs::path& folder : folders)
        if (!SyncFolder(folder))
            throw OutputError("cannot sync folder \"" + folder.string() +
                              "\": " + std::strerror(errno));
}

} // namespace Cli
