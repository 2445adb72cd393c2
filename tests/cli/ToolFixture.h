// SPDX-License-Identifier: MIT
#pragma once
// Runs the built tool in a scratch folder of its own and reads what it wrote.

#include "hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace ToolTest {

struct Result {
    int status = -1;
    std::string err;
};

// A run whose standard output matters, split into lines.
struct Output {
    int status = -1;
    std::vector<std::string> lines;
    std::string err;
};

class Tool : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& text) {
        const std::string path = dir_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // `args` are shell words; standard output is dropped unless `args` redirects it.
    // `prefix` goes before the tool, for a program that runs it (strace).
    Result Run(const std::string& args, const std::string& prefix = "") {
        const std::string errFile = dir_ / "stderr.txt";
        const std::string cmd =
            prefix + "'" + EPUBEXPORT_PATH + "' " + args + " >/dev/null 2>'" + errFile + "'";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read(errFile)};
    }

    // Runs from the scratch folder, so that messages name files as given, and keeps standard
    // output.
    Output Capture(const std::string& args) {
        const std::string out = dir_ / "stdout.txt";
        const std::string err = dir_ / "stderr.txt";
        const std::string cmd = "cd '" + std::string(dir_ / ".") + "' && '" + EPUBEXPORT_PATH +
                                "' " + args + " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(cmd.c_str());
        Output r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, {}, Read(err)};
        std::istringstream lines(Read(out));
        for (std::string line; std::getline(lines, line);)
            r.lines.push_back(line);
        return r;
    }

    // Exports `input` to standard output through a pipe and saves what came through as `saved`:
    // the exit status, as pclose gives it.
    int ExportPiped(const std::string& input, const std::string& saved) {
        const std::string cmd = "'" + std::string(EPUBEXPORT_PATH) + "' '" + input + "' -o -";
        FILE* pipe = ::popen(cmd.c_str(), "r");
        if (!pipe)
            return -1;
        std::string data;
        char buffer[65536];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            data.append(buffer, n);
        const int status = ::pclose(pipe);
        std::ofstream(saved, std::ios::binary) << data;
        return status;
    }

    // Exports `json` into "out.epub" in the scratch folder.
    Result Export(const std::string& json, const std::string& output = "out.epub") {
        const std::string input = Write("in.json", json);
        return Run("'" + input + "' -o '" + (dir_ / output) + "'");
    }

    // Exports `json` onto an output that already exists and expects it untouched.
    Result ExpectRefused(const std::string& json, int status = 2) {
        const std::string input = Write("in.json", json);
        const std::string output = Write("out.epub", "previous");
        const Result r = Run("'" + input + "' -o '" + output + "'");
        EXPECT_EQ(r.status, status) << r.err;
        EXPECT_EQ(Read(output), "previous");
        EXPECT_FALSE(r.err.empty());
        return r;
    }

    // Entries of an EPUB by name.
    static std::map<std::string, std::string> Entries(const std::string& path) {
        std::map<std::string, std::string> entries;
        for (auto& record : FoundationTest::ReadZip(path))
            entries.emplace(record.name, std::move(record.data));
        return entries;
    }

    static bool Parse(pugi::xml_document& doc, const std::string& text) {
        return doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single);
    }

    // Runs EPUBCheck on `epub`; empty when it is not installed.
    std::string EpubCheck(const std::string& epub) {
        const char* jar = "/usr/share/java/epubcheck.jar";
        if (!std::ifstream(jar) || std::system("command -v java >/dev/null 2>&1") != 0)
            return {};
        const std::string report = dir_ / "report.txt";
        std::system(
            ("java -jar " + std::string(jar) + " '" + epub + "' >'" + report + "' 2>&1").c_str());
        return Read(report);
    }

    FoundationTest::ScratchDir dir_;
};

// "a%20b" -> "a b": manifest and link hrefs are percent-encoded.
inline std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// Resolves `href` written in the document `from` to a path from the container's root.
inline std::string ResolveHref(const std::string& from, const std::string& href) {
    std::string path = from.substr(0, from.rfind('/') + 1) + PercentDecode(href);
    // Fold "dir/../".
    for (size_t up; (up = path.find("/../")) != std::string::npos;) {
        const size_t start = path.rfind('/', up == 0 ? 0 : up - 1);
        path.erase(start == std::string::npos ? 0 : start + 1,
                   up + 4 - (start == std::string::npos ? 0 : start + 1));
    }
    return path;
}

} // namespace ToolTest
