// SPDX-License-Identifier: MIT
#pragma once
// An exporter that keeps every document in memory, and a fixture around it for tests that write
// stories and read the documents back as XML.

#include "epub/content/HtmlExporter.h"
#include "hostimpl/text/StoryBuilder.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <map>
#include <string>
#include <vector>

namespace ContentTest {

using namespace EPub;

class MemoryExporter final : public HtmlExporter {
public:
    using HtmlExporter::HtmlExporter;
    using HtmlExporter::Writer;

    Counted<Foundation::OutStream> BeginStream(const StringT& name, StreamType) override {
        auto stream = Foundation::MakeCounted<Foundation::MemoryOutStream>();
        streams[std::string(name.view())].push_back(stream);
        return stream;
    }
    StringT GetImagePath() const override { return "images/"; }

    std::string Text(const std::string& name) const {
        const auto found = streams.find(name);
        return found == streams.end() ? std::string() : found->second.back()->Data();
    }
    size_t Opened(const std::string& name) const {
        const auto found = streams.find(name);
        return found == streams.end() ? 0 : found->second.size();
    }

    std::map<std::string, std::vector<Counted<Foundation::MemoryOutStream>>> streams;
};

class ExportFixture : public ::testing::Test {
protected:
    ExportFixture() {
        settings_->language = "en";
        settings_->title = "Book";
        settings_->styles = styles_;
        settings_->defaultGlyphAtts = styles_->GetDocument()->GetDefaultGlyphAtts();
        exporter_.Callbacks().localise = [](const StringT&, const Text::Language*,
                                            const StringT& text) { return text; };
    }

    Text::StoryBuilder Builder() const { return Text::StoryBuilder(styles_); }

    bool Export(const Counted<const Text::Story>& story, const std::string& name) {
        return exporter_.ExportStory(story, story->GetTerminator(), StringT(name), "T");
    }

    // The document parsed; a failure names it and shows its text.
    pugi::xml_document Parse(const std::string& name) {
        pugi::xml_document doc;
        const std::string text = exporter_.Text(name);
        EXPECT_TRUE(doc.load_string(text.c_str())) << name << "\n" << text;
        return doc;
    }
    static pugi::xml_node Body(const pugi::xml_document& doc) {
        return doc.child("html").child("body");
    }

    Counted<Text::StyleSheet> styles_ = Text::StyleSheet::Make(Text::TextDocument::Make());
    Counted<ExportSettings> settings_ = Foundation::MakeCounted<ExportSettings>();
    Counted<FlowingEPubOptions> options_ = Foundation::MakeCounted<FlowingEPubOptions>(
        Render::FileExportOptionsVector::Preset::Standard);
    MemoryExporter exporter_{settings_, options_};
};

// The element children of `node` by name, in order.
inline std::vector<std::string> ChildNames(const pugi::xml_node& node) {
    std::vector<std::string> names;
    for (const pugi::xml_node& child : node.children())
        if (child.type() == pugi::node_element)
            names.emplace_back(child.name());
    return names;
}

inline std::string AllText(const pugi::xml_node& node) {
    std::string text;
    for (const pugi::xml_node& child : node.children())
        text += child.type() == pugi::node_pcdata ? std::string(child.value()) : AllText(child);
    return text;
}

} // namespace ContentTest
