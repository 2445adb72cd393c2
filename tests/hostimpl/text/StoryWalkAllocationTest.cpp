// SPDX-License-Identifier: MIT
// Walking a story must not allocate per glyph or per run: this binary counts every operator new.

#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> newCalls{0};

void* CountedAlloc(std::size_t n) {
    newCalls.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}
} // namespace

// Replaced as a set so every form allocates and frees through malloc and free.
void* operator new(std::size_t n) {
    return CountedAlloc(n);
}
void* operator new[](std::size_t n) {
    return CountedAlloc(n);
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    newCalls.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n ? n : 1);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    newCalls.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(n ? n : 1);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

using namespace Text;
using Foundation::Counted;

TEST(StoryWalk, WalkingRunsAndGlyphsAllocatesNothing) {
    auto sheet = StyleSheet::Make(TextDocument::Make());
    sheet->AddStyle(Style::Make("Em", StyleKind::Character, "",
                                Delta::Make(AttCategory::Glyph, GlyphInt::FontStyle, 1)));
    StoryBuilder b(sheet);
    const std::string words(40, 'x');
    for (int p = 0; p < 5000; ++p) {
        b.Paragraph().Text(words).Text(words, "Em").Text(words);
        if (p % 100 == 0)
            b.Anchor(sheet->GetDocument()->MakeAnchor("a"));
    }
    Counted<const Story> story = b.Build();
    ASSERT_GT(story->size(), 600000u);

    const long before = newCalls.load();
    ASSERT_GT(before, 0) << "operator new is not being counted";
    long runs = 0;
    long paragraphs = 0;
    uint64_t sum = 0;
    const StoryPos end = story->gend();
    for (StoryPos para = story->gbegin(); para < end; para = para.GetParagraphAttsRunEnd()) {
        for (StoryPos run = para; run < para.GetParagraphAttsRunEnd();
             run = run.GetGlyphAttsRunEnd()) {
            ++runs;
            sum += static_cast<uint64_t>(run.GetGlyphAtts()->GetInt(GlyphInt::FontStyle));
            for (StoryPos p = run, e = run.GetGlyphAttsRunEnd(); p < e; ++p) {
                const Glyph g = p.GetGlyph();
                sum += g.GetChar32();
                paragraphs += g.IsParagraphBreak();
            }
        }
    }
    EXPECT_EQ(newCalls.load() - before, 0);
    EXPECT_EQ(paragraphs, 5000);
    EXPECT_EQ(runs, 2 * 5000 + 1);
    EXPECT_GT(sum, 0u);
}
