// SPDX-License-Identifier: MIT
// The tool's JSON layer on a generated document of about 14 MB, shaped like a book: parsing into
// the compact tree alone, and the whole reader up to a text model.

#include "cli/DocumentReader.h"
#include "cli/JsonValue.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Chapters of paragraphs with plain and styled runs and the odd footnote.
const std::string& BookJson() {
    static const std::string text = [] {
        static constexpr const char* words[] = {"harbour", "quiet", "the",  "stranger",
                                                "ledger",  "of",    "rain", "roofs",
                                                "keeper",  "light", "and",  "boats"};
        std::string json = R"({"metadata": {"title": "Bench", "language": "en"}, "styles": [)"
                           R"({"name": "Body"}, {"name": "Strong", "kind": "character", )"
                           R"("character": {"fontWeight": 700}}], "stories": [)";
        uint32_t state = 7;
        auto word = [&] {
            state = state * 1664525u + 1013904223u;
            return std::string(words[(state >> 16) % std::size(words)]);
        };
        for (int chapter = 0; chapter < 225; ++chapter) {
            json += chapter ? "," : "";
            json += R"({"file": "ch)" + std::to_string(chapter) + R"(.xhtml", "paragraphs": [)";
            for (int p = 0; p < 100; ++p) {
                json += p ? "," : "";
                json += R"({"style": "Body", "runs": [")";
                for (int w = 0; w < 50; ++w)
                    json += word() + " ";
                json += R"(", {"text": ")" + word() + R"(", "style": "Strong"}, ")";
                for (int w = 0; w < 50; ++w)
                    json += word() + " ";
                json += p % 16 == 3 ? R"(", {"footnote": "A note."}]})" : R"("]})";
            }
            json += "]}";
        }
        return json + "]}";
    }();
    return text;
}

void ParseJsonTree(benchmark::State& state) {
    const std::string& text = BookJson();
    for (auto _ : state)
        benchmark::DoNotOptimize(Cli::JsonDocument::Parse(text, "bench.json").Root().size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ParseJsonTree)->Unit(benchmark::kMillisecond);

void ReadDocument(benchmark::State& state) {
    const std::string& text = BookJson();
    for (auto _ : state)
        benchmark::DoNotOptimize(Cli::ParseDocument(text, "bench.json", ".").stories.size());
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(ReadDocument)->Unit(benchmark::kMillisecond);

} // namespace
