// SPDX-License-Identifier: MIT
// A generated fixed-layout document exported whole: each page has three text frames, an image
// and five shapes (two of them rasterised). Counters: pages, output size and the peak memory
// growth, which should not depend on the page count since pages are written as they are added.
//
// Recorded 2026-12-06 (RelWithDebInfo, 2 shared cores): 50 pages 1.3 s wall / 0.48 s CPU, peak
// growth 2.2 MB; 200 pages 4.2 s wall / 1.5 s CPU, peak growth a further 0.9 MB; 0.51 MB EPUB.
// Again after the safe write path and one text box per story line: 50 pages 0.96 s / 0.43 s CPU,
// peak growth 3.3 MB; 200 pages 4.3 s / 1.5 s CPU, a further 1.9 MB; 0.52 MB EPUB.

#include "bench/FixedExportRun.h"
#include "cli/FixedDocumentReader.h"
#include "host/foundation/FileStream.h"
#include "host/raster/ImageEncoder.h"

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A 256 × 192 picture with some structure, so it does not compress to nothing.
void WritePicture(const fs::path& file) {
    auto bitmap = Raster::DynamicBitmap::Create(256, 192);
    for (uint32_t y = 0; y < 192; ++y)
        for (uint32_t x = 0; x < 256; ++x) {
            uint8_t* p = bitmap->Row(y) + x * 4;
            p[0] = uint8_t(x);
            p[1] = uint8_t(y + (x * y) % 31);
            p[2] = uint8_t(255 - x / 2);
            p[3] = 255;
        }
    auto out = Foundation::FileOutStream::Create(Foundation::StringT(file.string()));
    Raster::WritePNG(*bitmap, *out);
}

std::string Document(int pages) {
    using nlohmann::json;
    const std::string words =
        "Every page of the generated book carries three frames of text set in columns, a "
        "picture and a handful of shapes, so that the export does the work of a real one. ";
    json list = json::array();
    for (int i = 0; i < pages; ++i) {
        json items = json::array();
        items.push_back({{"type", "rect"},
                         {"x", 0},
                         {"y", 0},
                         {"width", 432},
                         {"height", 648},
                         {"fill", "#fffaf0"}});
        items.push_back({{"type", "image"},
                         {"file", "picture.png"},
                         {"x", 36},
                         {"y", 36},
                         {"width", 360},
                         {"height", 270},
                         {"alt", "A generated picture"}});
        for (int f = 0; f < 3; ++f)
            items.push_back({{"type", "textFrame"},
                             {"x", 36},
                             {"y", 320 + f * 100},
                             {"width", 360},
                             {"height", 96},
                             {"columns", 2},
                             {"gutter", 12},
                             {"character", {{"fontFamily", "DejaVu Serif"}, {"size", 9.0}}},
                             {"paragraphs", {{{"text", words + words}}}}});
        items.push_back({{"type", "rect"},
                         {"x", 36},
                         {"y", 310},
                         {"width", 360},
                         {"height", 2},
                         {"fill", "#aa3333"}});
        items.push_back({{"type", "rect"},
                         {"x", 36},
                         {"y", 620},
                         {"width", 360},
                         {"height", 2},
                         {"fill", "#aa3333"}});
        items.push_back({{"type", "rect"},
                         {"x", 300},
                         {"y", 40},
                         {"width", 90},
                         {"height", 20},
                         {"fill", "#ffffff"}});
        items.push_back({{"type", "group"},
                         {"opacity", 0.6},
                         {"items",
                          {{{"type", "rect"},
                            {"x", 36},
                            {"y", 250},
                            {"width", 360},
                            {"height", 56},
                            {"fill", "#000000"}}}}});
        items.push_back(
            {{"type", "path"}, {"d", "M 380 600 L 400 630 L 360 630 Z"}, {"fill", "#336699"}});
        list.push_back({{"width", 432},
                        {"height", 648},
                        {"spread", i % 2 ? "left" : "right"},
                        {"items", items}});
    }
    json doc = {{"layout", "fixed"},
                {"metadata", {{"title", "Generated"}, {"identifier", "urn:uuid:bench"}}},
                {"options", {{"pageDPI", 96}, {"textDPI", 144}, {"cover", false}}},
                {"pages", list}};
    return doc.dump();
}

void BM_FixedLayoutExport(benchmark::State& state) {
    const int pages = static_cast<int>(state.range(0));
    const fs::path dir =
        fs::temp_directory_path() / ("epubbench-fixed-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    WritePicture(dir / "picture.png");
    const auto doc = Cli::ParseFixedDocument(Document(pages), "generated.json", dir);
    const long before = PeakKilobytes();
    Bench::ExportEachIteration(state, doc, dir, pages);
    state.counters["peak_growth_MB"] = double(PeakKilobytes() - before) / 1024;
    fs::remove_all(dir);
}
BENCHMARK(BM_FixedLayoutExport)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
