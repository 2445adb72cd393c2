// SPDX-License-Identifier: MIT
#pragma once
// Reads Markdown written into a scratch folder and exports it as plain XHTML there, so a test
// can look at what a reader of the publication gets: elements, text and the computed CSS.

#include "cli/ExportCommand.h"
#include "hostimpl/foundation/ZipTestSupport.h"
#include "readers/markdown/MarkdownReader.h"
#include "support/CssCascade.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace MarkdownTest {

class Exported {
public:
    // Documents by file name, parsed; the style sheets cascaded over them.
    std::map<std::string, std::unique_ptr<pugi::xml_document>> documents;
    TestSupport::CssCascade css;

    // The first element matching `xpath` in any document, in file-name order.
    pugi::xml_node Find(const std::string& xpath) const {
        for (const auto& [name, doc] : documents)
            if (const auto hit = doc->select_node(xpath.c_str()))
                return hit.node();
        return {};
    }
    size_t Count(const std::string& xpath) const {
        size_t n = 0;
        for (const auto& [name, doc] : documents)
            n += doc->select_nodes(xpath.c_str()).size();
        return n;
    }
    // The text of every document, in file-name order.
    std::string Text() const {
        std::string text;
        for (const auto& [name, doc] : documents)
            text += Collect(doc->document_element());
        return text;
    }
    static std::string Collect(const pugi::xml_node& node) {
        std::string text;
        for (const pugi::xpath_node& n : node.select_nodes(".//text()"))
            text += n.node().value();
        return text;
    }
};

class MarkdownReading : public ::testing::Test {
protected:
    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }

    Readers::Document Read(const std::string& markdown,
                           const Readers::Markdown::MarkdownOptions& options = {}) const {
        return Readers::Markdown::ReadMarkdown(markdown, "book.md", dir_ / ".", options);
    }

    // Exports `doc` into a folder of its own and parses what came out; every document must be
    // well-formed and every style sheet readable.
    Exported Export(const Readers::Document& doc) {
        const std::filesystem::path out = dir_ / ("html" + std::to_string(++exports_));
        Cli::ExportHtml(doc, out, {});
        Exported result;
        for (const auto& entry : std::filesystem::directory_iterator(out)) {
            const std::string name = entry.path().filename().string();
            const std::string text = FoundationTest::ReadFileBytes(entry.path().string());
            if (name.ends_with(".css")) {
                result.css.AddSheet(text);
                continue;
            }
            if (!name.ends_with(".xhtml"))
                continue;
            auto doc = std::make_unique<pugi::xml_document>();
            const auto parsed =
                doc->load_string(text.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single);
            EXPECT_TRUE(parsed) << name << ": " << parsed.description();
            result.documents.emplace(name, std::move(doc));
        }
        EXPECT_TRUE(result.css.Errors().empty()) << result.css.Errors().front();
        return result;
    }

    Exported Export(const std::string& markdown,
                    const Readers::Markdown::MarkdownOptions& options = {}) {
        return Export(Read(markdown, options));
    }

    // The message of the InputError reading `markdown` throws; empty when it reads.
    std::string ErrorOf(const std::string& markdown) const {
        try {
            Read(markdown);
        } catch (const Readers::InputError& e) {
            return e.what();
        }
        return {};
    }

    FoundationTest::ScratchDir scratch_;
    std::filesystem::path dir_{scratch_ / ""};
    int exports_ = 0;
};

} // namespace MarkdownTest
