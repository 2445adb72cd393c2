// SPDX-License-Identifier: MIT
#pragma once
// Reading written archives back with minizip's reader, scratch folders and a stream that gives
// out after a set number of bytes.

#include "host/foundation/Stream.h"

#include <minizip/unzip.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace FoundationTest {

// A folder of its own under the system's temporary folder, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "epubtest-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("cannot create a scratch folder");
        path_ = pattern;
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFileBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ZipRecord {
    std::string name;
    std::string data;
    unz_file_info64 info{};
};

// Every entry in central-directory order, with its data checked against its CRC.
inline std::vector<ZipRecord> ReadZip(const std::string& path) {
    std::vector<ZipRecord> records;
    unzFile zip = unzOpen64(path.c_str());
    if (!zip) {
        ADD_FAILURE() << "minizip cannot open " << path;
        return records;
    }
    for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
        ZipRecord record;
        char name[1024] = {};
        if (unzGetCurrentFileInfo64(zip, &record.info, name, sizeof name - 1, nullptr, 0, nullptr,
                                    0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            ADD_FAILURE() << "unreadable entry in " << path;
            break;
        }
        record.name = name;
        char piece[8192];
        for (int n; (n = unzReadCurrentFile(zip, piece, sizeof piece)) > 0;)
            record.data.append(piece, static_cast<size_t>(n));
        EXPECT_EQ(unzCloseCurrentFile(zip), UNZ_OK) << "bad data or CRC in " << record.name;
        records.push_back(std::move(record));
    }
    unzClose(zip);
    return records;
}

inline std::vector<std::string> Names(const std::vector<ZipRecord>& records) {
    std::vector<std::string> names;
    for (const auto& r : records)
        names.push_back(r.name);
    return names;
}

// Accepts `budget` bytes in all (rewrites after a seek count too), then fails for good.
class FailingStream final : public Foundation::OutStreamSeekable {
public:
    explicit FailingStream(uint64_t budget) : budget_(budget) {}
    size_t Write(const void* data, size_t size) override {
        if (failed_)
            return 0;
        const size_t n = size < budget_ ? size : static_cast<size_t>(budget_);
        inner_.Write(data, n);
        budget_ -= n;
        failed_ = n < size;
        return n;
    }
    uint64_t Tell() const override { return inner_.Tell(); }
    bool Seek(uint64_t position) override { return !failed_ && inner_.Seek(position); }
    const std::string& Data() const { return inner_.Data(); }

private:
    Foundation::MemoryOutStream inner_;
    uint64_t budget_;
    bool failed_ = false;
};

// The message of the exception in a failure slot, or "" when it is empty.
inline std::string FailureMessage(const std::exception_ptr& failure) {
    if (!failure)
        return {};
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "(not a std::exception)";
    }
}

} // namespace FoundationTest
