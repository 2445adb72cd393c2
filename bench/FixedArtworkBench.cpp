// SPDX-License-Identifier: MIT
// Fixed-layout pages whose artwork must be rasterised, at the default text resolution (1440 dpi):
// a multiply-blended wash with a gradient and a stroked path over the whole page, a translucent
// photograph and a caption in a translucent group. Counters: pages and output size. The raster
// cap (four pixels per CSS pixel of the page) and pictures kept at their own resolution keep
// this to seconds.
//
// Recorded 2026-12-07 (RelWithDebInfo, 2 shared cores, busy): 4 pages 16 s wall / 1.8 s CPU,
// 0.37 MB EPUB. The same four pages through the tool before the cap (a 640 × 480 PNG): 145 s
// and 7.4 MB, 11.5 s and 1.1 MB after.

#include "bench/FixedExportRun.h"
#include "cli/FixedDocumentReader.h"
#include "host/foundation/FileStream.h"
#include "host/raster/ImageEncoder.h"

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A 640 × 480 photograph-like picture.
void WritePhoto(const fs::path& file) {
    auto bitmap = Raster::DynamicBitmap::Create(640, 480);
    for (uint32_t y = 0; y < 480; ++y)
        for (uint32_t x = 0; x < 640; ++x) {
            uint8_t* p = bitmap->Row(y) + x * 4;
            p[0] = uint8_t(x / 3 + (x * y) % 17);
            p[1] = uint8_t(y / 2 + (x ^ y) % 23);
            p[2] = uint8_t(200 - x / 4);
            p[3] = 255;
        }
    auto out = Foundation::FileOutStream::Create(Foundation::StringT(file.string()));
    Raster::WriteJPEG(*bitmap, *out, 85);
}

json Page() {
    const json gradient = {
        {"type", "linear"},
        {"from", {0, 0}},
        {"to", {612, 792}},
        {"gradient",
         {{{"offset", 0}, {"colour", "#f0c080"}}, {{"offset", 1}, {"colour", "#4060a0"}}}}};
    json wash = {{"type", "group"},
                 {"blend", "multiply"},
                 {"items",
                  {{{"type", "rect"},
                    {"x", 0},
                    {"y", 0},
                    {"width", 612},
                    {"height", 792},
                    {"fill", gradient}},
                   {{"type", "path"},
                    {"d", "M 0 700 C 200 600 400 800 612 650"},
                    {"stroke", {{"colour", "#203040"}, {"width", 3}}}}}}};
    json photo = {{"type", "image"}, {"file", "photo.jpg"},  {"x", 56},
                  {"y", 80},         {"width", 500},         {"height", 375},
                  {"opacity", 0.8},  {"alt", "A photograph"}};
    json caption = {
        {"type", "group"},
        {"opacity", 0.7},
        {"items",
         {{{"type", "text"},
           {"character", {{"fontFamily", "DejaVu Serif"}, {"size", 14}}},
           {"lines", {{{"x", 56}, {"y", 490}, {"text", "A caption over the wash"}}}}}}}};
    return {{"width", 612}, {"height", 792}, {"items", {wash, photo, caption}}};
}

std::string Document(int pages) {
    json list = json::array();
    for (int i = 0; i < pages; ++i)
        list.push_back(Page());
    json doc = {{"layout", "fixed"},
                {"metadata", {{"title", "Artwork"}, {"identifier", "urn:uuid:bench-art"}}},
                {"options", {{"pageDPI", 96}, {"cover", false}}},
                {"pages", list}};
    return doc.dump();
}

void BM_FixedArtworkExport(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    std::string name = (fs::temp_directory_path() / "epubbench-art.XXXXXX").string();
    if (!::mkdtemp(name.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const fs::path dir = name;
    WritePhoto(dir / "photo.jpg");
    const auto doc = Cli::ParseFixedDocument(Document(pages), "artwork.json", dir);
    Bench::ExportEachIteration(state, doc, dir, pages);
    fs::remove_all(dir);
}
BENCHMARK(BM_FixedArtworkExport)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
