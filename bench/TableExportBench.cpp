// SPDX-License-Identifier: MIT
// A whole export of one large table: the content writer asks for list numbers once per cell, so
// anything it does per cell from the story's start shows here as quadratic time.

#include "cli/DocumentReader.h"
#include "cli/ExportCommand.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::string TableJson(int side) {
    std::string rows;
    for (int r = 0; r < side; ++r) {
        rows += r ? ",[" : "[";
        for (int c = 0; c < side; ++c)
            rows += c ? ",\"x\"" : "\"x\"";
        rows += "]";
    }
    std::string columns;
    for (int c = 0; c < side; ++c)
        columns += c ? ",10" : "10";
    return R"({"stories": [{"file": "a.xhtml", "paragraphs": [{"runs": [{"table": {"columns": [)" +
           columns + R"(], "rows": [)" + rows + "]}}]}]}]}";
}

void ExportTable(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const Cli::Document doc = Cli::ParseDocument(TableJson(side), "table.json", ".");
    std::string folder = (std::filesystem::temp_directory_path() / "tablebench.XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        state.SkipWithError("cannot make a temporary folder");
        return;
    }
    for (auto _ : state)
        Cli::ExportEPub(doc, std::filesystem::path(folder) / "table.epub", {});
    state.counters["cells"] = side * side;
    std::filesystem::remove_all(folder);
}
BENCHMARK(ExportTable)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
