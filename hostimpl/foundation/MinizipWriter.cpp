// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/MinizipWriter.h"

#include <minizip/zip.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <utility>

namespace Foundation {

namespace {

// Version made by: Unix host (3), zip format version 3.0, so readers honour the mode bits.
constexpr uLong kVersionMadeBy = (3u << 8) | 30u;
// General purpose flag bit 11: the name is UTF-8.
constexpr uLong kUtf8NameFlag = 1u << 11;
// Beyond these the classic end record cannot say how many entries there are or where.
constexpr uint64_t kMaxClassicEntries = 0xFFFF;
constexpr uint64_t kMaxClassicOffset = 0xFFFFFFFF;
// The classic end record without a comment, as minizip writes it last.
constexpr uint64_t kEndRecordSize = 22;
// zipWriteInFileInZip takes an unsigned length.
constexpr size_t kMaxPiece = 1u << 30;

bool IsAscii(const StringT& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// DOS time stamps are local time and cover 1980 to 2107 in two-second steps.
tm_zip ToZipTime(TimeStamp t) {
    const std::time_t seconds = static_cast<std::time_t>(t.Seconds());
    std::tm parts{};
    if (!localtime_r(&seconds, &parts))
        parts = std::tm{};
    const int year = parts.tm_year + 1900;
    if (year < 1980)
        return tm_zip{0, 0, 0, 1, 0, 1980};
    if (year > 2107)
        return tm_zip{58, 59, 23, 31, 11, 2107};
    return tm_zip{static_cast<uInt>(parts.tm_sec),  static_cast<uInt>(parts.tm_min),
                  static_cast<uInt>(parts.tm_hour), static_cast<uInt>(parts.tm_mday),
                  static_cast<uInt>(parts.tm_mon),  static_cast<uInt>(year)};
}

} // namespace

// I/O failures are kept from minizip: it does not unwind a half-written local header cleanly, so
// it is told every write and seek succeeded while the writer remembers that one did not.
struct MinizipWriter::Callbacks {
    static MinizipWriter& Self(voidpf opaque) { return *static_cast<MinizipWriter*>(opaque); }

    static voidpf Open(voidpf opaque, const void*, int) { return opaque; }
    static uLong Read(voidpf, voidpf, void*, uLong) { return 0; }
    static uLong Write(voidpf opaque, voidpf, const void* data, uLong size) {
        MinizipWriter& self = Self(opaque);
        if (!self.ioFailed_) {
            self.ioFailed_ = self.out_.Write(data, size) != size;
            self.end_ = std::max(self.end_, self.out_.Tell());
        }
        return size;
    }
    static ZPOS64_T Tell(voidpf opaque, voidpf) { return Self(opaque).out_.Tell(); }
    static long Seek(voidpf opaque, voidpf, ZPOS64_T offset, int origin) {
        MinizipWriter& self = Self(opaque);
        if (self.ioFailed_)
            return 0;
        uint64_t base = 0;
        if (origin == ZLIB_FILEFUNC_SEEK_CUR)
            base = self.out_.Tell();
        else if (origin == ZLIB_FILEFUNC_SEEK_END)
            base = self.end_;
        self.ioFailed_ = !self.out_.Seek(base + offset);
        return 0;
    }
    static int Close(voidpf, voidpf) { return 0; }
    static int Error(voidpf, voidpf) { return 0; }
};

MinizipWriter::MinizipWriter(OutStreamSeekable& out) : out_(out) {
    end_ = out_.Tell();
    zlib_filefunc64_def functions{};
    functions.zopen64_file = &Callbacks::Open;
    functions.zread_file = &Callbacks::Read;
    functions.zwrite_file = &Callbacks::Write;
    functions.ztell64_file = &Callbacks::Tell;
    functions.zseek64_file = &Callbacks::Seek;
    functions.zclose_file = &Callbacks::Close;
    functions.zerror_file = &Callbacks::Error;
    functions.opaque = this;
    // minizip copies the function table; the name is only handed back to Open.
    zip_ = zipOpen2_64("", APPEND_STATUS_CREATE, nullptr, &functions);
}

MinizipWriter::~MinizipWriter() {
    // Frees minizip's state even when the stream has failed.
    if (zip_)
        zipClose(zip_, nullptr);
}

namespace {
constexpr int kStreamedLevel = 3;
} // namespace

bool MinizipWriter::BeginEntry(const StringT& name, const EntryInfo& info) {
    if (!zip_ || entryOpen_)
        return false;
    zip_fileinfo fileInfo{};
    fileInfo.tmz_date = ToZipTime(info.modified);
    fileInfo.external_fa = static_cast<uLong>(info.unixMode) << 16;
    const int method = info.stored ? 0 : Z_DEFLATED;
    // Only entries too large to hold in memory come through zlib here (the rest are deflated
    // whole with libdeflate): level 3 deflates them twice as fast as the default for a few per
    // cent more bytes, and a long document is what the export waits for.
    const int level = info.stored ? 0 : kStreamedLevel;
    const uLong flags = IsAscii(name) ? 0 : kUtf8NameFlag;
    const int result = zipOpenNewFileInZip4_64(
        zip_, name.c_str(), &fileInfo, nullptr, 0, nullptr, 0, nullptr, method, level,
        info.raw ? 1 : 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kVersionMadeBy,
        flags, info.zip64 ? 1 : 0);
    entryOpen_ = result == ZIP_OK;
    entries_ += entryOpen_ ? 1 : 0;
    return entryOpen_ && !ioFailed_;
}

bool MinizipWriter::Write(const void* data, size_t size) {
    if (!entryOpen_ || ioFailed_)
        return false;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const size_t piece = std::min(size, kMaxPiece);
        if (zipWriteInFileInZip(zip_, bytes, static_cast<unsigned>(piece)) != ZIP_OK || ioFailed_)
            return false;
        bytes += piece;
        size -= piece;
    }
    return true;
}

bool MinizipWriter::EndEntry() {
    if (!entryOpen_)
        return false;
    entryOpen_ = false;
    return zipCloseFileInZip(zip_) == ZIP_OK && !ioFailed_;
}

bool MinizipWriter::EndRawEntry(uint64_t uncompressedSize, uint32_t crc) {
    if (!entryOpen_)
        return false;
    entryOpen_ = false;
    return zipCloseFileInZipRaw64(zip_, uncompressedSize, crc) == ZIP_OK && !ioFailed_;
}

bool MinizipWriter::Close() {
    if (!zip_)
        return false;
    entryOpen_ = false;
    const uint64_t directory = out_.Tell();
    if (zipClose(std::exchange(zip_, nullptr), nullptr) != ZIP_OK || ioFailed_)
        return false;
    // minizip writes the zip64 records only for an archive past 4 GiB; one of more entries than
    // the classic record counts needs them as well, or readers see a broken directory.
    if (entries_ < kMaxClassicEntries || directory >= kMaxClassicOffset)
        return true;
    return WriteZip64End(directory, end_ - kEndRecordSize);
}

bool MinizipWriter::WriteZip64End(uint64_t directory, uint64_t directoryEnd) {
    std::string bytes;
    const auto put = [&bytes](uint64_t value, int size) {
        for (int i = 0; i < size; ++i)
            bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const uint64_t size = directoryEnd - directory;
    // Zip64 end of central directory record: everything in 64 bits.
    put(0x06064b50, 4);
    put(44, 8); // the size of what follows
    put(kVersionMadeBy, 2);
    put(45, 2); // version needed: zip64
    put(0, 4);
    put(0, 4);
    put(entries_, 8);
    put(entries_, 8);
    put(size, 8);
    put(directory, 8);
    // Its locator.
    put(0x07064b50, 4);
    put(0, 4);
    put(directoryEnd, 8);
    put(1, 4);
    // The classic record again, its counts saying "see the zip64 record".
    put(0x06054b50, 4);
    put(0, 2);
    put(0, 2);
    put(0xFFFF, 2);
    put(0xFFFF, 2);
    put(std::min<uint64_t>(size, kMaxClassicOffset), 4);
    put(std::min<uint64_t>(directory, kMaxClassicOffset), 4);
    put(0, 2);
    if (!out_.Seek(directoryEnd) || out_.Write(bytes.data(), bytes.size()) != bytes.size()) {
        ioFailed_ = true;
        return false;
    }
    end_ = std::max(end_, out_.Tell());
    return true;
}

} // namespace Foundation
