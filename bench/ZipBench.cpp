// SPDX-License-Identifier: MIT
// Compression alone: whole-buffer deflate with libdeflate against zlib's streaming deflate at the
// same level, and the ordered zip archive writing a book's worth of documents.

#include "host/foundation/Stream.h"
#include "host/foundation/ZipArchive.h"
#include "hostimpl/foundation/RawDeflater.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>

namespace {

// About `size` bytes of XHTML-like prose: repetitive markup around varied words.
std::string Document(size_t size, unsigned seed) {
    static constexpr const char* words[] = {"harbour", "quiet", "the",   "stranger", "ledger",
                                            "of",      "rain",  "roofs", "keeper",   "light",
                                            "and",     "boats", "pier",  "noon",     "west"};
    std::string text = "<?xml version='1.0' encoding='utf-8'?>\n<html><body>\n";
    uint32_t state = seed * 2654435761u + 1;
    while (text.size() < size) {
        text += "<p class=\"Body\">";
        for (int w = 0; w < 60; ++w) {
            state = state * 1664525u + 1013904223u;
            text += words[(state >> 16) % std::size(words)];
            text += (state >> 8) % 11 == 0 ? ". " : " ";
        }
        text += "</p>\n";
    }
    return text + "</body></html>\n";
}

void DeflateLibdeflate(benchmark::State& state) {
    const std::string text = Document(10'000'000, 1);
    Foundation::RawDeflater deflater;
    std::string packed;
    for (auto _ : state)
        benchmark::DoNotOptimize(deflater.Deflate(text, packed));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(text.size());
}
BENCHMARK(DeflateLibdeflate)->Unit(benchmark::kMillisecond);

void DeflateZlib(benchmark::State& state) {
    const std::string text = Document(10'000'000, 1);
    std::string packed(compressBound(static_cast<uLong>(text.size())), '\0');
    size_t size = 0;
    for (auto _ : state) {
        z_stream z{};
        deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
        z.avail_in = static_cast<uInt>(text.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = static_cast<uInt>(packed.size());
        deflate(&z, Z_FINISH);
        size = z.total_out;
        deflateEnd(&z);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["ratio"] = static_cast<double>(size) / static_cast<double>(text.size());
}
BENCHMARK(DeflateZlib)->Unit(benchmark::kMillisecond);

// 200 documents of 50 KB into an in-memory zip, as an export writes them.
void ZipArchiveDocuments(benchmark::State& state) {
    std::vector<std::string> documents;
    for (unsigned i = 0; i < 200; ++i)
        documents.push_back(Document(50'000, i));
    size_t output = 0;
    for (auto _ : state) {
        Foundation::Counted<Foundation::OutStreamSeekable> out =
            Foundation::MakeCounted<Foundation::MemoryOutStream>();
        std::exception_ptr failure;
        {
            auto zip = Foundation::ZipArchive::Create(out, failure);
            zip->Add("mimetype", false, std::nullopt, 0x81B6)->Write("application/epub+zip");
            for (size_t i = 0; i < documents.size(); ++i) {
                auto entry =
                    zip->Add("OEBPS/ch" + std::to_string(i) + ".xhtml", true, std::nullopt, 0x81B6);
                // The content writer writes in small pieces.
                for (size_t at = 0; at < documents[i].size(); at += 256)
                    entry->Write(documents[i].data() + at,
                                 std::min<size_t>(256, documents[i].size() - at));
            }
        }
        if (failure) {
            state.SkipWithError("the archive failed");
            return;
        }
        output = out->Tell();
    }
    state.SetBytesProcessed(state.iterations() * 200 * 50'000);
    state.counters["output_MB"] = static_cast<double>(output) / 1e6;
}
BENCHMARK(ZipArchiveDocuments)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
