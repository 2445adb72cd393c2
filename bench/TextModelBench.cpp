// SPDX-License-Identifier: MIT
// Walking a story of ten million characters: by attribute runs, and glyph by glyph.

#include "hostimpl/text/StoryBuilder.h"

#include <benchmark/benchmark.h>

namespace {

using namespace Text;
using Foundation::Counted;

// 10 million characters in paragraphs of 500, each with a styled run in the middle.
const Counted<const Story>& LargeStory() {
    static const Counted<const Story> story = [] {
        auto sheet = StyleSheet::Make(TextDocument::Make());
        sheet->AddStyle(Style::Make("Em", StyleKind::Character, "",
                                    Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, 1)));
        StoryBuilder b(sheet);
        const std::string plain(200, 'a');
        const std::string styled(99, 'b');
        for (int p = 0; p < 20000; ++p)
            b.Paragraph().Text(plain).Text(styled, "Em").Text(plain);
        return Counted<const Story>(b.Build());
    }();
    return story;
}

void WalkRuns(benchmark::State& state) {
    const Story& story = *LargeStory();
    for (auto _ : state) {
        int64_t runs = 0;
        const StoryPos end = story.gend();
        for (StoryPos p = story.gbegin(); p < end; p = p.GetGlyphAttsRunEnd()) {
            benchmark::DoNotOptimize(p.GetGlyphAtts().get());
            ++runs;
        }
        benchmark::DoNotOptimize(runs);
    }
    state.SetItemsProcessed(state.iterations() * story.size());
}
BENCHMARK(WalkRuns)->Unit(benchmark::kMillisecond);

void WalkParagraphs(benchmark::State& state) {
    const Story& story = *LargeStory();
    for (auto _ : state) {
        int64_t paragraphs = 0;
        for (StoryPos p = story.gbegin(); !p.IsStoryEnd(); p = p.GetParagraphEnd())
            ++paragraphs;
        benchmark::DoNotOptimize(paragraphs);
    }
    state.SetItemsProcessed(state.iterations() * story.size());
}
BENCHMARK(WalkParagraphs)->Unit(benchmark::kMillisecond);

void WalkGlyphs(benchmark::State& state) {
    const Story& story = *LargeStory();
    for (auto _ : state) {
        uint64_t sum = 0;
        for (Glyph g : story.GetAll())
            sum += g.GetChar32();
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * story.size());
}
BENCHMARK(WalkGlyphs)->Unit(benchmark::kMillisecond);

void CloneStory(benchmark::State& state) {
    const Story& story = *LargeStory();
    for (auto _ : state)
        benchmark::DoNotOptimize(story.Clone().get());
    state.SetItemsProcessed(state.iterations() * story.size());
}
BENCHMARK(CloneStory)->Unit(benchmark::kMillisecond);

// Building a million characters run by run, as the JSON reader does; Latin text stays at a byte
// per character, Greek needs two.
void BuildStory(benchmark::State& state) {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    sheet->AddStyle(Style::Make("Em", StyleKind::Character, "",
                                Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, 1)));
    std::string plain, styled;
    for (int i = 0; i < 40; ++i) {
        plain += state.range(0) ? "\u03b1\u03b2\u03b3\u03b4 " : "abcd ";
        styled += state.range(0) ? "\u03b5\u03b6 " : "ef ";
    }
    int64_t size = 0;
    for (auto _ : state) {
        StoryBuilder b(sheet);
        for (int p = 0; p < 2000; ++p)
            b.Paragraph().Text(plain).Text(styled, "Em").Text(plain);
        size = b.Build()->size();
    }
    state.SetItemsProcessed(state.iterations() * size);
}
BENCHMARK(BuildStory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
