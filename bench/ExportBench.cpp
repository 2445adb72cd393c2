// SPDX-License-Identifier: MIT
// A whole reflowable export of about 10 MB of text in 200 chapters, with wall time, peak memory
// and output size as counters.

#include "BookGenerator.h"

#include "epub/flowing/FlowingEPubExporter.h"
#include "host/text/ListAtt.h"
#include "host/text/NoteAtt.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <sys/resource.h>

namespace {

void SetCallbacks(EPub::FlowingEPubExporter& exporter, std::map<const void*, int>& notes) {
    auto& c = exporter.Callbacks();
    c.writeFrame = [](const Text::PinGlyph&, const Text::StoryPos&) {};
    c.isFrameImage = [](const Text::PinnedObject&) { return false; };
    c.writeItem = [](int32_t) {};
    c.isItemImage = [](int32_t) { return false; };
    c.validateFrame = [](const Text::AnchoredFrame&, const Text::StoryPos&,
                         std::vector<EPub::StoryError>&) {};
    c.noteNumber = [&notes](const Text::Glyph& glyph, const Text::StoryPos&) {
        const auto [it, added] = notes.try_emplace(glyph.GetObject().get(), notes.size() + 1);
        return Foundation::StringT(std::to_string(it->second));
    };
    c.numberer = [](const Text::StoryPos& pos) { return Text::Numberer::ForPosition(pos); };
    c.crossReferenceText = [](const Text::CrossReferenceGlyph&, const Text::StoryPos&) {
        return std::u32string(U"?");
    };
    c.localise = [](const Foundation::StringT&, const Text::Language*,
                    const Foundation::StringT& text) { return text; };
}

void ExportBook(benchmark::State& state) {
    const Bench::Book book = Bench::GenerateBook(200, 50'000);
    const auto path = std::filesystem::temp_directory_path() / "epub_export_bench.epub";
    for (auto _ : state) {
        EPub::FlowingEPubExporter exporter(book.settings, book.options);
        std::map<const void*, int> notes;
        SetCallbacks(exporter, notes);
        if (!exporter.Start(Foundation::StringT(path.string()))) {
            state.SkipWithError("cannot start");
            return;
        }
        for (const auto& chapter : book.chapters)
            if (!exporter.ExportStory(chapter.story, chapter.story->gend(), chapter.fileName)) {
                state.SkipWithError("a chapter was refused");
                return;
            }
        if (!exporter.End()) {
            state.SkipWithError("cannot finish");
            return;
        }
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    state.counters["output_MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    state.counters["text_MB"] = static_cast<double>(book.textBytes) / 1e6;
    std::filesystem::remove(path);
}
BENCHMARK(ExportBook)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
