// SPDX-License-Identifier: MIT
// Writes a container through the real zip archive and reads it back with minizip.
#include "epub/package/FontWriter.h"
#include "epub/package/OcfContainer.h"
#include "host/foundation/FileStream.h"

#include <gtest/gtest.h>
#include <minizip/unzip.h>
#include <pugixml.hpp>

#include <ctime>
#include <filesystem>
#include <map>
#include <unistd.h>

namespace {

struct StoredEntry {
    std::string data;
    unz_file_info64 info{};
};

// Entries in archive order.
std::vector<std::pair<std::string, StoredEntry>> ReadZip(const std::string& path) {
    std::vector<std::pair<std::string, StoredEntry>> entries;
    unzFile zip = unzOpen64(path.c_str());
    if (!zip)
        return entries;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        StoredEntry entry;
        char name[256] = {};
        unzGetCurrentFileInfo64(zip, &entry.info, name, sizeof name, nullptr, 0, nullptr, 0);
        entry.data.resize(entry.info.uncompressed_size);
        unzOpenCurrentFile(zip);
        const int read = unzReadCurrentFile(zip, entry.data.data(), unsigned(entry.data.size()));
        entry.data.resize(size_t(std::max(read, 0)));
        unzCloseCurrentFile(zip);
        entries.emplace_back(name, std::move(entry));
    }
    unzClose(zip);
    return entries;
}

std::string FontBytes(size_t size, char salt) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 13 + size_t(salt));
    return bytes;
}

} // namespace

TEST(OcfContainerZip, TwoFontsOfOneNameRoundTrip) {
    const auto path =
        (std::filesystem::temp_directory_path() / ("ocf-" + std::to_string(::getpid()) + ".epub"))
            .string();
    const auto key = EPub::MakeFontKey("urn:uuid:1b4e28ba-2fa1-11d2-883f-0016d3cca427");
    const std::string big = FontBytes(70000, 1), small = FontBytes(600, 2);
    const auto modified = Foundation::TimeStamp::FromMicroseconds(1'600'000'000'000'000);
    std::exception_ptr failure;
    {
        auto zip = Foundation::ZipArchive::Create(Foundation::FileOutStream::Create(path), failure);
        ASSERT_TRUE(zip);
        ASSERT_TRUE(EPub::AddMimeType(*zip));
        EPub::AddEntry(*zip, "OEBPS/Story1.xhtml")->Write("<html/>");
        EPub::EmbeddedFonts records;
        Foundation::MemoryInStream bigIn(big), smallIn(small);
        EXPECT_EQ(
            EPub::WriteFontFile(*zip, "OEBPS", {"Name.ttf", bigIn, modified, 0x81A4}, key, records),
            1u);
        EXPECT_EQ(EPub::WriteFontFile(*zip, "OEBPS", {"Name.ttf", smallIn, {}, {}}, key, records),
                  2u);
        ASSERT_TRUE(EPub::AddContainer(*zip, "OEBPS"));
        ASSERT_TRUE(EPub::AddEncryption(*zip, records));
    }
    ASSERT_FALSE(failure);

    const auto entries = ReadZip(path);
    std::filesystem::remove(path);
    std::vector<std::string> names;
    std::map<std::string, StoredEntry> byName;
    for (const auto& [name, entry] : entries) {
        names.push_back(name);
        byName[name] = entry;
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"mimetype", "OEBPS/Story1.xhtml", "OEBPS/font/Name.ttf",
                                        "OEBPS/font/Name-1.ttf", "META-INF/container.xml",
                                        "META-INF/encryption.xml"}));
    ASSERT_EQ(byName.size(), 6u);
    EXPECT_EQ(byName["mimetype"].data, "application/epub+zip");
    EXPECT_EQ(byName["mimetype"].info.compression_method, 0u);

    const auto deobfuscate = [&](std::string bytes) {
        for (size_t i = 0; i < std::min<size_t>(bytes.size(), 1040); ++i)
            bytes[i] = static_cast<char>(bytes[i] ^ key[i % 20]);
        return bytes;
    };
    const auto& first = byName["OEBPS/font/Name.ttf"];
    EXPECT_EQ(deobfuscate(first.data), big);
    EXPECT_EQ(first.info.external_fa >> 16, 0x81A4u);
    std::tm local{};
    const std::time_t seconds = modified.Seconds();
    ASSERT_TRUE(localtime_r(&seconds, &local));
    EXPECT_EQ(first.info.tmu_date.tm_year, unsigned(local.tm_year + 1900));
    EXPECT_EQ(first.info.tmu_date.tm_min, unsigned(local.tm_min));
    const auto& second = byName["OEBPS/font/Name-1.ttf"];
    EXPECT_EQ(deobfuscate(second.data), small);
    EXPECT_NE(second.data, small);
    EXPECT_EQ(second.info.external_fa >> 16, 0x81B6u);

    pugi::xml_document doc;
    const auto& encryption = byName["META-INF/encryption.xml"].data;
    ASSERT_TRUE(doc.load_buffer(encryption.data(), encryption.size()));
    std::vector<std::string> uris;
    for (const auto& node : doc.select_nodes("//enc:CipherReference"))
        uris.emplace_back(node.node().attribute("URI").value());
    EXPECT_EQ(uris, (std::vector<std::string>{"OEBPS/font/Name.ttf", "OEBPS/font/Name-1.ttf"}));
}
