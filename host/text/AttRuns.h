// SPDX-License-Identifier: MIT
#pragma once
// Attribute runs of a story: the start of each run with its consolidated set. Runs cover the
// story from index 0 without gaps; adjacent runs always differ, so a run end is the first
// position whose attributes differ.

#include "host/foundation/Consolidated.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

namespace Text {

template <class T> class AttRuns {
public:
    struct Run {
        uint32_t start;
        Foundation::Consolidated<T> atts;
    };

    AttRuns() = default;
    explicit AttRuns(Foundation::Consolidated<T> atts) : runs_{Run{0, std::move(atts)}} {}
    AttRuns(const AttRuns& other) : runs_(other.runs_) {}
    AttRuns(AttRuns&& other) noexcept : runs_(std::move(other.runs_)) {}
    AttRuns& operator=(const AttRuns& other) {
        runs_ = other.runs_;
        return *this;
    }
    AttRuns& operator=(AttRuns&& other) noexcept {
        runs_ = std::move(other.runs_);
        return *this;
    }

    size_t size() const noexcept { return runs_.size(); }
    const Run& operator[](size_t i) const noexcept { return runs_[i]; }
    const std::vector<Run>& Runs() const noexcept { return runs_; }

    // The run holding `pos` (the last run starting at or before it).
    size_t IndexAt(uint32_t pos) const noexcept {
        // Writers walk forwards glyph by glyph: the last run found, or the next, usually holds
        // `pos`. Any index is checked before use, so a stale one only costs the search.
        const size_t hint = hint_.load(std::memory_order_relaxed);
        for (size_t i = hint; i < hint + 2 && i < runs_.size(); ++i)
            if (runs_[i].start <= pos && (i + 1 == runs_.size() || pos < runs_[i + 1].start)) {
                hint_.store(i, std::memory_order_relaxed);
                return i;
            }
        auto it = std::upper_bound(runs_.begin(), runs_.end(), pos,
                                   [](uint32_t p, const Run& r) { return p < r.start; });
        const size_t found = static_cast<size_t>(it - runs_.begin()) - 1;
        hint_.store(found, std::memory_order_relaxed);
        return found;
    }
    const Foundation::Consolidated<T>& At(uint32_t pos) const noexcept {
        return runs_[IndexAt(pos)].atts;
    }
    // End of the run holding `pos`; `size` for the last run.
    uint32_t EndAt(uint32_t pos, uint32_t size) const noexcept {
        const size_t i = IndexAt(pos) + 1;
        return i < runs_.size() ? runs_[i].start : size;
    }

    // Moves every run start above `from` (or at it, with `inclusive`) by `n`. Run 0 always
    // starts at 0.
    void Shift(uint32_t from, bool inclusive, uint32_t n) {
        auto it = inclusive
                      ? std::lower_bound(runs_.begin(), runs_.end(), from,
                                         [](const Run& r, uint32_t p) { return r.start < p; })
                      : std::upper_bound(runs_.begin(), runs_.end(), from,
                                         [](uint32_t p, const Run& r) { return p < r.start; });
        for (; it != runs_.end(); ++it)
            if (it->start != 0)
                it->start += n;
    }

    // Replaces the attributes of [b, e) by `f(old)` run by run; `size` is the story length.
    // Touches only the runs concerned, so editing near the end of a long story is cheap.
    template <class F> void Transform(uint32_t b, uint32_t e, uint32_t size, F&& f) {
        if (b >= e)
            return;
        const size_t first = IndexAt(b);
        const size_t last = IndexAt(e - 1);
        std::vector<Run> replaced;
        replaced.reserve(last - first + 2);
        for (size_t i = first; i <= last; ++i)
            replaced.push_back(Run{std::max(runs_[i].start, b), f(runs_[i].atts)});
        const uint32_t lastEnd = last + 1 < runs_.size() ? runs_[last + 1].start : size;
        if (e < lastEnd)
            replaced.push_back(Run{e, runs_[last].atts});
        const size_t from = runs_[first].start < b ? first + 1 : first;
        runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(from),
                    runs_.begin() + static_cast<std::ptrdiff_t>(last + 1));
        runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(from), replaced.begin(),
                     replaced.end());
        MergeEqualNeighbours(from == 0 ? 0 : from - 1, from + replaced.size());
    }

    void Assign(uint32_t b, uint32_t e, uint32_t size, const Foundation::Consolidated<T>& atts) {
        Transform(b, e, size, [&](const Foundation::Consolidated<T>&) { return atts; });
    }

    // Building run by run: starts must increase, the first being 0.
    void Clear() noexcept { runs_.clear(); }
    void Append(uint32_t start, Foundation::Consolidated<T> atts) {
        if (!runs_.empty() && runs_.back().atts == atts)
            return;
        runs_.push_back(Run{start, std::move(atts)});
    }
    void ShrinkToFit() { runs_.shrink_to_fit(); }

private:
    // Merges equal neighbours among runs lo..hi (clamped).
    void MergeEqualNeighbours(size_t lo, size_t hi) {
        hi = std::min(hi, runs_.size() - 1);
        for (size_t i = hi; i > lo; --i)
            if (runs_[i].atts == runs_[i - 1].atts)
                runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
    }

    std::vector<Run> runs_;
    // Where the last lookup landed; readers on several threads only ever race on a guess.
    mutable std::atomic<size_t> hint_ = 0;
};

} // namespace Text
