// SPDX-License-Identifier: MIT
// Every name the format reference accepts gives a package a reader can open: entry names without
// spaces, manifest ids, percent-encoded hrefs that resolve to entries, links from and into
// subfolders, titles without characters XML cannot hold.

#include "cli/ToolFixture.h"

#include <filesystem>
#include <regex>
#include <set>

namespace {

using ToolTest::ResolveHref;
using ToolTest::Tool;

const char* const kDejaVuMono = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";

// Stories named with "&", spaces, digits, non-ASCII and folders, one stem in two folders, two
// names that meet once spaces become "_", a font file with spaces and "&", and a title holding a
// control character.
std::string TrickyNames(bool withFont) {
    return std::string(R"({
  "metadata": {"title": "Odd\u0001 names & more", "author": "A\u0002uthor",
               "identifier": "urn:uuid:0c1c7d36-7f1e-4c9e-9f57-111111111111"},
  )") + (withFont ? R"("fonts": ["9 Mono & Co.ttf"],)" : "") +
           R"(
  "styles": [{"name": "Code", "kind": "character", "character": {"fontFamily": "DejaVu Sans Mono"}}],
  "stories": [
    {"file": "a&b.xhtml", "title": "A & B", "toc": "A", "page": "1",
     "paragraphs": [{"runs": ["See ", {"crossReference": "deep"}, " and ",
                              {"text": "code", "style": "Code"}]}]},
    {"file": "1st.xhtml", "toc": "First", "paragraphs": ["one"]},
    {"file": "x/ch.xhtml", "toc": "X", "paragraphs": ["x"]},
    {"file": "y/ch.xhtml", "toc": "Y", "page": "2", "paragraphs": ["y"]},
    {"file": "sub/b c.xhtml", "toc": "Sub",
     "paragraphs": [{"anchor": "deep", "text": "deep"},
                    {"runs": ["back to ", {"text": "A", "character": {"hyperlink": {"page": 1}}}]}]},
    {"file": "\u00e4\u00f6/\u00fc.xhtml", "toc": "Umlaut", "paragraphs": ["\u00fc"]},
    {"file": "Teil 2/a b.xhtml", "toc": "Spaced", "paragraphs": ["spaced"]},
    {"file": "Teil_2/A_B.xhtml", "toc": "Underscored", "paragraphs": ["underscored"]},
    {"file": "toc", "toc": "Not the contents", "paragraphs": ["mine"]}
  ]
})";
}

class PackageNames : public Tool {
protected:
    void SetUp() override {
        const bool font = std::filesystem::exists(kDejaVuMono);
        if (font)
            std::filesystem::copy_file(kDejaVuMono, dir_ / "9 Mono & Co.ttf");
        const auto r = Export(TrickyNames(font));
        ASSERT_EQ(r.status, 0) << r.err;
        entries_ = Entries(dir_ / "out.epub");
        ASSERT_TRUE(entries_.count("OEBPS/package.opf"));
        ASSERT_TRUE(Parse(opf_, entries_["OEBPS/package.opf"])) << entries_["OEBPS/package.opf"];
    }

    std::map<std::string, std::string> entries_;
    pugi::xml_document opf_;
};

TEST_F(PackageNames, ManifestIdsAreUniqueNamesAndHrefsResolveToEntries) {
    const std::regex ncname("[A-Za-z_][A-Za-z0-9_.-]*");
    std::set<std::string> ids;
    std::set<std::string> hrefs;
    for (const auto& item : opf_.select_nodes("//*[local-name()='item']")) {
        const std::string id = item.node().attribute("id").value();
        EXPECT_TRUE(std::regex_match(id, ncname)) << id;
        EXPECT_TRUE(ids.insert(id).second) << "repeated id " << id;
        const std::string href = item.node().attribute("href").value();
        const std::string entry = "OEBPS/" + ToolTest::PercentDecode(href);
        EXPECT_TRUE(entries_.count(entry)) << href;
        hrefs.insert(entry);
    }
    // Everything in the container but the OCF files and the package itself is in the manifest.
    for (const auto& [name, data] : entries_)
        if (name != "mimetype" && name.rfind("META-INF/", 0) != 0 && name != "OEBPS/package.opf") {
            EXPECT_TRUE(hrefs.count(name)) << name << " is not in the manifest";
        }
    for (const auto& ref : opf_.select_nodes("//*[local-name()='itemref']"))
        EXPECT_TRUE(ids.count(ref.node().attribute("idref").value()));
    EXPECT_TRUE(entries_.count("OEBPS/x/ch.xhtml") && entries_.count("OEBPS/y/ch.xhtml"));
    if (std::filesystem::exists(kDejaVuMono)) {
        EXPECT_TRUE(entries_.count("OEBPS/font/9_Mono_&_Co.ttf"));
        pugi::xml_document encryption;
        ASSERT_TRUE(Parse(encryption, entries_["META-INF/encryption.xml"]));
        const std::string uri = encryption.select_node("//*[local-name()='CipherReference']")
                                    .node()
                                    .attribute("URI")
                                    .value();
        EXPECT_TRUE(entries_.count(ToolTest::PercentDecode(uri))) << uri;
    }
}

TEST_F(PackageNames, MetadataLosesOnlyWhatXmlCannotHold) {
    EXPECT_STREQ(opf_.select_node("//*[local-name()='title']").node().child_value(),
                 "Odd names & more");
    EXPECT_STREQ(opf_.select_node("//*[local-name()='creator']").node().child_value(), "Author");
    pugi::xml_document doc;
    ASSERT_TRUE(Parse(doc, entries_["OEBPS/a&b.xhtml"]));
    EXPECT_STREQ(doc.select_node("//title").node().child_value(), "A & B");
    ASSERT_TRUE(Parse(doc, entries_["OEBPS/1st.xhtml"]));
    EXPECT_STREQ(doc.select_node("//title").node().child_value(), "Odd names & more");
}

// Contents, page list, cross references and style sheets, from the root and from subfolders,
// land on an existing element of an existing entry.
TEST_F(PackageNames, EveryLinkResolvesWhereverTheDocumentLies) {
    std::map<std::string, std::set<std::string>> ids;
    std::map<std::string, pugi::xml_document> docs;
    for (const auto& [name, data] : entries_) {
        if (!name.ends_with(".xhtml"))
            continue;
        ASSERT_TRUE(Parse(docs[name], data)) << name << "\n" << data;
        for (const auto& node : docs[name].select_nodes("//*[@id]"))
            ids[name].insert(node.node().attribute("id").value());
    }
    size_t checked = 0;
    for (const auto& [name, doc] : docs) {
        for (const auto& node : doc.select_nodes("//*[@href]")) {
            const std::string href = node.node().attribute("href").value();
            const size_t hash = href.find('#');
            const std::string target = hash == 0 ? name : ResolveHref(name, href.substr(0, hash));
            SCOPED_TRACE(name + " -> " + href);
            ASSERT_TRUE(entries_.count(target)) << target;
            if (hash != std::string::npos) {
                EXPECT_TRUE(ids[target].count(href.substr(hash + 1)));
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 15u);
    pugi::xml_document sub;
    ASSERT_TRUE(Parse(sub, entries_["OEBPS/sub/b_c.xhtml"]));
    EXPECT_STREQ(sub.select_node("//link").node().attribute("href").value(), "../css/styles.css");
    const std::string fromToc = docs["OEBPS/toc.xhtml"]
                                    .select_node("//nav[@id='toc']//a[.='Sub']")
                                    .node()
                                    .attribute("href")
                                    .value();
    EXPECT_EQ(fromToc.substr(0, fromToc.find('#')), "sub/b_c.xhtml");
    const std::string back = sub.select_node("//a[.='A']").node().attribute("href").value();
    EXPECT_EQ(back.substr(0, back.find('#')), "../a&b.xhtml");
}

// A name that needs no change keeps it; one that meets it, or a generated entry, once its spaces
// are gone and ".xhtml" is added, is numbered.
TEST_F(PackageNames, EntryNamesHoldNoSpacesAndStayDistinct) {
    for (const auto& [name, data] : entries_)
        EXPECT_EQ(name.find(' '), std::string::npos) << name;
    pugi::xml_document doc;
    ASSERT_TRUE(Parse(doc, entries_["OEBPS/Teil_2/A_B.xhtml"]));
    EXPECT_STREQ(doc.select_node("//p").node().child_value(), "underscored");
    ASSERT_TRUE(Parse(doc, entries_["OEBPS/Teil_2/a_b-2.xhtml"]));
    EXPECT_STREQ(doc.select_node("//p").node().child_value(), "spaced");
    // Content documents end in ".xhtml", and the navigation document keeps its name.
    ASSERT_TRUE(Parse(doc, entries_["OEBPS/toc-2.xhtml"]));
    EXPECT_STREQ(doc.select_node("//p").node().child_value(), "mine");
}

// Non-ASCII characters in names only earn EPUBCheck's advice to avoid them.
TEST_F(PackageNames, EpubCheckFindsNoError) {
    const std::string report = EpubCheck(dir_ / "out.epub");
    if (report.empty())
        GTEST_SKIP() << "EPUBCheck is not installed";
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("ERROR", 0) == 0 || line.rfind("FATAL", 0) == 0 ||
            (line.rfind("WARNING", 0) == 0 && line.find("PKG-012") == std::string::npos))
            ADD_FAILURE() << line;
    }
}

} // namespace
