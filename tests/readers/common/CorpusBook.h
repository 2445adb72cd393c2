// SPDX-License-Identifier: MIT
#pragma once
// A corpus document exported by the built tool and read back as a reader of the EPUB sees it:
// each content document with the style sheets it links, what the CSS makes of an element, and
// where links lead. Shared by the corpus tests of every reader.

#include "tests/cli/ToolFixture.h"
#include "tests/support/CssCascade.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace CorpusTest {

namespace fs = std::filesystem;
using TestSupport::CssCascade;

// One content document of an exported book with the style sheets it links.
struct Page {
    std::string name; // entry name in the container
    std::unique_ptr<pugi::xml_document> doc = std::make_unique<pugi::xml_document>();
    CssCascade css;
};

struct Found {
    const Page* page = nullptr;
    pugi::xml_node node;
    explicit operator bool() const { return page != nullptr; }
};

// An exported EPUB, read back: metadata, spine documents in reading order, all entries.
struct Book {
    std::map<std::string, std::string> entries;
    pugi::xml_document opf;
    std::string opfName;
    std::vector<Page> pages;

    // The innermost element holding `text` in one of its own text nodes.
    Found Find(const std::string& text) const {
        const std::string query = "//body//*[text()[contains(., '" + text + "')]]";
        for (const Page& page : pages)
            if (const auto hit = page.doc->select_node(query.c_str()))
                return {&page, hit.node()};
        return {};
    }

    std::string AllText() const {
        std::string out;
        for (const Page& page : pages)
            for (const auto& node : page.doc->select_nodes("//text()"))
                out += std::string(node.node().value()) + " ";
        return out;
    }

    std::vector<std::string> Metadata(const std::string& element) const {
        std::vector<std::string> values;
        const std::string query = "//*[local-name()='metadata']/*[name()='" + element + "']";
        for (const auto& node : opf.select_nodes(query.c_str()))
            values.emplace_back(node.node().text().get());
        return values;
    }
};

// "1.5em" on `element` in points; nullopt for what has no fixed length.
inline std::optional<double> Points(const CssCascade& css, const pugi::xml_node& element,
                                    const std::string& value) {
    static const std::regex length(R"(\s*(-?[0-9.]+)\s*(pt|px|em|rem|in|cm|mm|pc)?\s*)");
    std::smatch m;
    if (!std::regex_match(value, m, length))
        return std::nullopt;
    const double number = std::stod(m[1]);
    const std::string unit = m[2];
    if (unit.empty())
        return number == 0 ? std::optional<double>(0) : std::nullopt;
    const std::map<std::string, double> scale{{"pt", 1},  {"px", 0.75},      {"rem", 12},
                                              {"in", 72}, {"cm", 72 / 2.54}, {"mm", 7.2 / 2.54},
                                              {"pc", 12}};
    if (unit == "em")
        return number * css.FontSizePt(element);
    return number * scale.at(unit);
}

// The length a reader applies from the rules of `element` and the blocks around it up to the
// body, for properties whose effect adds up (margins, padding).
inline double Accumulated(const CssCascade& css, pugi::xml_node element,
                          std::initializer_list<const char*> properties) {
    double total = 0;
    for (; element && std::string(element.name()) != "body"; element = element.parent())
        for (const char* property : properties)
            if (const auto value = css.Cascaded(element, property))
                total += Points(css, element, *value).value_or(0);
    return total;
}

inline bool IsBold(const CssCascade& css, const pugi::xml_node& element) {
    for (auto node = element; node && node.type() == pugi::node_element; node = node.parent()) {
        const std::string name = node.name();
        if (const auto weight = css.Cascaded(node, "font-weight"))
            return *weight == "bold" || *weight == "bolder" || std::atoi(weight->c_str()) >= 600;
        if (name == "b" || name == "strong" ||
            (name.size() == 2 && name[0] == 'h' &&
             std::isdigit(static_cast<unsigned char>(name[1]))))
            return true;
    }
    return false;
}

inline bool IsItalic(const CssCascade& css, const pugi::xml_node& element) {
    for (auto node = element; node && node.type() == pugi::node_element; node = node.parent()) {
        const std::string name = node.name();
        if (const auto style = css.Cascaded(node, "font-style"))
            return *style == "italic" || *style == "oblique";
        if (name == "i" || name == "em" || name == "cite")
            return true;
    }
    return false;
}

// Whether `property` (or its longhand "-line") of the element or a parent contains `word`:
// decorations do not inherit but paint over the text of the children.
inline bool Decorated(const CssCascade& css, pugi::xml_node element, const std::string& property,
                      const std::string& word) {
    for (; element && element.type() == pugi::node_element; element = element.parent())
        for (const std::string& name : {property, property + "-line"})
            if (const auto value = css.Cascaded(element, name);
                value && value->find(word) != std::string::npos)
                return true;
    return false;
}

inline std::string Roman(int n) {
    const std::vector<std::pair<int, std::string>> parts{
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
        {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
    std::string out;
    for (const auto& [value, text] : parts)
        for (; n >= value; n -= value)
            out += text;
    return out;
}

inline std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n\u00a0");
    const size_t end = text.find_last_not_of(" \t\r\n");
    return begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
}

// Every text node below `node`, joined.
inline std::string TextOf(const pugi::xml_node& node) {
    std::string out;
    for (const auto& text : node.select_nodes(".//text()"))
        out += text.node().value();
    return out;
}

// A list item's label as a reader sees it: text the exporter wrote in front of it, else the
// list's own numbering (start, value and list-style-type). Prefixes and suffixes are left off.
inline std::string ListNumber(const Found& found) {
    auto item = found.node;
    while (item && std::string(item.name()) != "li" && std::string(item.name()) != "body")
        item = item.parent();
    const bool inItem = std::string(item.name()) == "li";
    const std::string own = Trim(TextOf(inItem ? item : found.node));
    static const std::regex label(
        R"(^\(?((?:[0-9]+|[ivxlcdm]+|[IVXLCDM]+|[a-zA-Z])(?:\.(?:[0-9]+|[ivxlcdm]+|[a-z]))*)(?:[.):]\s*|\s+))");
    std::smatch m;
    if (std::regex_search(own, m, label))
        return m[1];
    if (!inItem)
        return "";
    const std::string type = found.page->css.Inherited(item, "list-style-type").value_or("decimal");
    static const std::set<std::string> numbered{"decimal",     "lower-roman",         "upper-roman",
                                                "lower-alpha", "lower-latin",         "upper-alpha",
                                                "upper-latin", "decimal-leading-zero"};
    const auto list = item.parent();
    if (!numbered.count(type) || std::string(list.name()) != "ol")
        return "";
    int number = list.attribute("start").as_int(1) - 1;
    for (auto li = list.child("li"); li; li = li.next_sibling("li")) {
        number = li.attribute("value") ? li.attribute("value").as_int() : number + 1;
        if (li == item)
            break;
    }
    if (type == "lower-roman")
        return Roman(number);
    if (type == "upper-roman") {
        std::string upper = Roman(number);
        for (char& c : upper)
            c = char(std::toupper(c));
        return upper;
    }
    if (type == "lower-alpha" || type == "lower-latin")
        return std::string(1, char('a' + number - 1));
    if (type == "upper-alpha" || type == "upper-latin")
        return std::string(1, char('A' + number - 1));
    if (type == "decimal-leading-zero")
        return (number < 10 ? "0" : "") + std::to_string(number);
    return std::to_string(number);
}

// Runs the tool on files of the corpus in `corpus`, copied into the scratch folder first.
// The float that a picture's box, or one of its containers, declares; "none" without one.
inline std::string FloatOf(const Page& page, pugi::xml_node n) {
    for (; n && std::string(n.name()) != "body"; n = n.parent())
        if (const auto value = page.css.Cascaded(n, "float"))
            return *value;
    return "none";
}

// A picture's width in points, from the CSS of it or its containers up to its paragraph, else
// from its width attribute (CSS pixels).
inline std::optional<double> PictureWidthPt(const Page& page, pugi::xml_node picture) {
    std::optional<double> width;
    for (auto n = picture; n && !width && std::string(n.name()) != "p"; n = n.parent())
        if (const auto value = page.css.Cascaded(n, "width"))
            width = Points(page.css, n, *value);
    if (!width && picture.attribute("width"))
        width = picture.attribute("width").as_double() * 0.75;
    return width;
}

// How a stretch of text looks to a reader: its size and whether it is bold or italic.
struct TextLook {
    const char* text;
    double sizePt;
    bool bold;
    bool italic;
};

inline void ExpectLooks(const Book& book, std::initializer_list<TextLook> looks) {
    for (const TextLook& look : looks) {
        SCOPED_TRACE(look.text);
        const Found found = book.Find(look.text);
        ASSERT_TRUE(found);
        EXPECT_NEAR(found.page->css.FontSizePt(found.node), look.sizePt, 0.05);
        EXPECT_EQ(IsBold(found.page->css, found.node), look.bold);
        EXPECT_EQ(IsItalic(found.page->css, found.node), look.italic);
    }
}

class CorpusTool : public ToolTest::Tool {
protected:
    explicit CorpusTool(fs::path corpus) : corpus_(std::move(corpus)) {}

    // Copies the corpus file into the scratch folder, so the tool only ever sees paths there.
    std::string Input(const std::string& name) {
        const std::string copy = dir_ / fs::path(name).filename().string();
        fs::copy_file(corpus_ / name, copy, fs::copy_options::overwrite_existing);
        return copy;
    }

    // Exports a corpus file and reads the EPUB back; fails the test when the export fails.
    Book Export(const std::string& name) {
        const std::string input = Input(name);
        const std::string epub = dir_ / (fs::path(name).stem().string() + ".epub");
        const ToolTest::Result r = Run("'" + input + "' -o '" + epub + "'");
        EXPECT_EQ(r.status, 0) << name << ": " << r.err;
        Book book;
        if (r.status != 0)
            return book;
        book.entries = Entries(epub);
        for (const auto& [entry, data] : book.entries)
            if (entry.size() > 4 && entry.substr(entry.size() - 4) == ".opf")
                book.opfName = entry;
        EXPECT_TRUE(Parse(book.opf, book.entries[book.opfName])) << name;
        std::map<std::string, std::string> hrefs;
        for (const auto& item : book.opf.select_nodes("//*[local-name()='item']"))
            hrefs[item.node().attribute("id").value()] = item.node().attribute("href").value();
        for (const auto& ref : book.opf.select_nodes("//*[local-name()='itemref']")) {
            Page page;
            page.name =
                ToolTest::ResolveHref(book.opfName, hrefs[ref.node().attribute("idref").value()]);
            EXPECT_TRUE(Parse(*page.doc, book.entries[page.name])) << page.name;
            for (const auto& link : page.doc->select_nodes("//link[@rel='stylesheet']")) {
                const std::string sheet =
                    ToolTest::ResolveHref(page.name, link.node().attribute("href").value());
                page.css.AddSheet(book.entries[sheet]);
            }
            book.pages.push_back(std::move(page));
        }
        return book;
    }

    // The element `href` (written in `from`) points at: the document itself without a fragment.
    static Found Target(const Book& book, const Page& from, const std::string& href) {
        const size_t hash = href.find('#');
        const std::string file = href.substr(0, hash);
        const std::string name = file.empty() ? from.name : ToolTest::ResolveHref(from.name, file);
        for (const Page& page : book.pages) {
            if (page.name != name)
                continue;
            if (hash == std::string::npos)
                return {&page, page.doc->document_element()};
            const std::string query = "//*[@id='" + href.substr(hash + 1) + "']";
            if (const auto hit = page.doc->select_node(query.c_str()))
                return {&page, hit.node()};
        }
        return {};
    }

    // Text of `target` and what follows it in its document, enough to recognise the place.
    static std::string TextFrom(const Found& target) {
        std::string out = TextOf(target.node);
        for (auto node = target.node; node && out.size() < 200; node = node.parent())
            for (auto next = node.next_sibling(); next && out.size() < 200;
                 next = next.next_sibling())
                out += TextOf(next) + std::string(next.value());
        return out;
    }

    // Every file of the corpus whose extension is one of `extensions` exports, to well-formed
    // documents, quietly but for the `warned` files, whose warnings are the point of them.
    // Returns how many there were.
    size_t ExportEveryDocument(const std::set<std::string>& extensions,
                               const std::set<std::string>& warned,
                               const std::set<std::string>& skipped = {}) {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(corpus_)) {
            const std::string name = entry.path().filename().string();
            if (!extensions.count(entry.path().extension().string()) || skipped.count(name))
                continue;
            ++count;
            SCOPED_TRACE(name);
            const std::string input = Input(name);
            const std::string epub = dir_ / "every.epub";
            const ToolTest::Result r = Run("'" + input + "' -o '" + epub + "'");
            EXPECT_EQ(r.status, 0) << r.err;
            if (warned.count(name)) {
                for (size_t at = 0; at < r.err.size(); at = r.err.find('\n', at) + 1)
                    EXPECT_EQ(r.err.compare(at, 21, "epubexport: warning: "), 0) << r.err;
            } else {
                EXPECT_EQ(r.err, "");
            }
            if (r.status != 0)
                continue;
            for (const auto& [part, data] : Entries(epub)) {
                if (part.find(".xhtml") == std::string::npos)
                    continue;
                pugi::xml_document doc;
                EXPECT_TRUE(Parse(doc, data)) << part;
            }
            fs::remove(input);
        }
        return count;
    }

    // Every file of the corpus's bad/ folder is refused with exit status 2 and one line naming
    // the file and matching its entry of `problems` (a regular expression), leaving the output
    // as it was; --check refuses it too.
    void ExpectBadInputRefused(const std::map<std::string, std::string>& problems) {
        size_t seen = 0;
        for (const auto& entry : fs::directory_iterator(corpus_ / "bad")) {
            const std::string name = entry.path().filename().string();
            SCOPED_TRACE(name);
            ASSERT_TRUE(problems.count(name)) << "no expectation for " << name;
            ++seen;
            const std::string input = Input("bad/" + name);
            const std::string output = Write("out.epub", "previous");
            const ToolTest::Result r = Run("'" + input + "' -o '" + output + "'");
            EXPECT_EQ(r.status, 2) << r.err;
            EXPECT_TRUE(Read(output) == "previous") << "the output was replaced";
            if (r.err.empty()) {
                ADD_FAILURE() << "refused without a message, or not refused";
                continue;
            }
            EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "more than one line: " << r.err;
            EXPECT_NE(r.err.find(name), std::string::npos) << r.err;
            // The reason, not the file name that holds words like "deep".
            std::string reason = r.err;
            for (size_t at; (at = reason.find(name)) != std::string::npos;)
                reason.erase(at, name.size());
            EXPECT_TRUE(std::regex_search(reason, std::regex(problems.at(name), std::regex::icase)))
                << r.err;
            const ToolTest::Result check = Run("--check '" + input + "'");
            EXPECT_EQ(check.status, 2) << check.err;
            fs::remove(input);
        }
        EXPECT_EQ(seen, problems.size());
    }

    fs::path corpus_;
};

} // namespace CorpusTest
