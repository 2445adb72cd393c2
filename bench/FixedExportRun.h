// SPDX-License-Identifier: MIT
#pragma once
// The timed part the fixed-layout benchmarks share: one export of an already read document per
// iteration, with the page count and the EPUB's size as counters.

#include "cli/FixedDocumentReader.h"
#include "cli/FixedExport.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace Bench {

inline void ExportEachIteration(benchmark::State& state, const Cli::FixedDocument& doc,
                                const std::filesystem::path& dir, int pages) {
    const std::filesystem::path out = dir / "out.epub";
    uintmax_t size = 0;
    for (auto _ : state) {
        Cli::ExportFixedEPub(doc, out);
        size = std::filesystem::file_size(out);
    }
    state.counters["pages"] = pages;
    state.counters["epub_MB"] = double(size) / 1e6;
}

} // namespace Bench
