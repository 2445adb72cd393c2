// SPDX-License-Identifier: MIT
#include "epub/package/Sha1.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

using EPub::Sha1;

namespace {

std::string Hex(const Sha1::Digest& digest) {
    std::string out;
    for (const uint8_t b : digest)
        out += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
    return out;
}

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 engine(seed);
    std::string out(size, '\0');
    std::ranges::generate(out, [&] { return static_cast<char>(engine()); });
    return out;
}

// What the system's sha1sum says; empty when it cannot be run.
std::string SystemSha1(const std::string& bytes) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("sha1test-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    std::string out(40, '\0');
    FILE* pipe = ::popen(("sha1sum '" + path.string() + "'").c_str(), "r");
    out.resize(pipe ? std::fread(out.data(), 1, out.size(), pipe) : 0);
    if (pipe)
        ::pclose(pipe);
    std::filesystem::remove(path);
    return out;
}

} // namespace

TEST(Sha1, StandardVectors) {
    EXPECT_EQ(Hex(Sha1::Of("")), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    EXPECT_EQ(Hex(Sha1::Of("abc")), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(Hex(Sha1::Of("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");

    Sha1 sha;
    for (int i = 0; i < 1000; ++i)
        sha.Update(std::string(1000, 'a'));
    EXPECT_EQ(Hex(sha.Final()), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    // Final starts a fresh message.
    sha.Update("abc");
    EXPECT_EQ(Hex(sha.Final()), "a9993e364706816aba3e25717850c26c9cd0d89d");
}

TEST(Sha1, OddPiecesAcrossBlockBoundaries) {
    const std::string data = RandomBytes(5000, 7);
    const size_t pieces[] = {1, 3, 7, 13, 55, 56, 63, 64, 65, 127, 0, 200};
    Sha1 sha;
    size_t at = 0;
    for (size_t i = 0; at < data.size(); ++i) {
        const size_t n = std::min(pieces[i % std::size(pieces)], data.size() - at);
        sha.Update(data.data() + at, n);
        at += n;
    }
    EXPECT_EQ(Hex(sha.Final()), Hex(Sha1::Of(data)));
}

TEST(Sha1, AgreesWithSha1sumAroundPaddingBoundaries) {
    if (SystemSha1("abc").size() != 40)
        GTEST_SKIP() << "sha1sum not available";
    uint32_t seed = 1;
    for (const size_t size : {1, 55, 56, 57, 63, 64, 65, 119, 120, 1000, 65537}) {
        const std::string data = RandomBytes(size, seed++);
        EXPECT_EQ(Hex(Sha1::Of(data)), SystemSha1(data)) << size << " bytes";
    }
}
