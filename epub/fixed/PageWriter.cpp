// SPDX-License-Identifier: MIT
#include "epub/fixed/PageWriter.h"

#include "epub/package/GeneratedTexts.h"
#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"

#include <string>
#include <vector>

namespace EPub {

namespace {

constexpr int kMaxIndentedDepth = 32;

std::string Number(uint64_t n) {
    return std::to_string(n);
}

class ElementWriter {
public:
    ElementWriter(XmlWriter& out, const PageContext& publication, const Page& page,
                  StringT pageLanguage)
        : out_(out), publication_(publication), page_(page),
          pageLanguage_(std::move(pageLanguage)) {}

    void WriteAll() {
        const auto& elements = page_.GetElements();
        for (size_t i = 0; i < elements.size(); ++i) {
            const PageElement& e = elements[i];
            CloseDownTo(e.depth);
            const bool hasChildren = i + 1 < elements.size() && elements[i + 1].depth > e.depth;
            if (!InText())
                NewLine(e.depth);
            const StringT language = Open(e);
            if (hasChildren) {
                out_.Close();
                open_.push_back({&e, language});
            } else if (!e.text.empty()) {
                out_.Close().Text(e.text).End(e.tag);
            } else {
                out_.CloseEmpty(true);
            }
        }
        CloseDownTo(0);
    }

private:
    // Inside a span, layout whitespace would become part of the text (a space between two runs of
    // one word when read aloud or copied): its children follow each other directly.
    bool InText() const { return !open_.empty() && open_.back().element->tag == "span"; }
    void NewLine(int depth) {
        if (depth >= kMaxIndentedDepth)
            return;
        out_.Space("\n").Space(std::string(size_t(depth) + 2, '\t'));
    }
    void CloseDownTo(int depth) {
        while (!open_.empty() && open_.back().element->depth >= depth) {
            const PageElement* closing = open_.back().element;
            if (closing->tag != "span")
                NewLine(closing->depth);
            out_.End(closing->tag);
            open_.pop_back();
        }
    }
    void Classes(const PageElement& e) {
        std::string list;
        for (const auto& c : e.classes) {
            if (c.empty())
                continue;
            if (!list.empty())
                list += ' ';
            list += c.str();
        }
        if (!list.empty())
            out_.Attribute("class", list);
    }
    void Id(const PageElement& e) {
        if (e.id == 0)
            return;
        const std::string_view prefix = e.tag == "div" ? "div" : e.tag;
        out_.Attribute("id", std::string(prefix) + Number(page_.GetNumber()) + "-" +
                                 std::to_string(e.id));
    }
    void Description(const PageElement& e) {
        if (e.description < 0)
            out_.Attribute("aria-hidden", "true");
        const int32_t index = e.description < 0 ? ~e.description : e.description;
        if (index <= 0 || size_t(index) > page_.GetDescriptions().size())
            return;
        const auto& [label, title] = page_.GetDescriptions()[size_t(index) - 1];
        out_.Attribute("role", "img");
        if (!label.empty())
            out_.Attribute("aria-label", label);
        if (!title.empty())
            out_.Attribute("title", title);
    }
    // The element's language is marked where it differs from the one it inherits; the language
    // in effect inside it is returned.
    StringT Language(const PageElement& e) {
        const StringT& inherited = open_.empty() ? pageLanguage_ : open_.back().language;
        if (e.language < 0 || size_t(e.language) >= page_.GetLanguages().size())
            return inherited;
        const StringT& language = page_.GetLanguages()[size_t(e.language)].first;
        if (language == inherited || language.empty())
            return inherited;
        out_.Attribute("lang", language).Attribute("xml:lang", language);
        return language;
    }
    StringT Link(const PageElement& e) {
        out_.Open("a");
        if (e.targetPage == 0 && e.anchorNumber == 0) {
            out_.Link("href", e.url.view());
        } else if (e.targetPage == 0) {
            out_.Attribute("id", publication_.anchorId(page_.GetNumber(), e.anchorNumber));
        } else {
            std::string href = "page" + Number(e.targetPage) + ".xhtml";
            if (e.anchorNumber != 0)
                href += "#" + publication_.anchorId(e.targetPage, e.anchorNumber).str();
            out_.Attribute("href", href);
        }
        Classes(e);
        return open_.empty() ? pageLanguage_ : open_.back().language;
    }
    void Image(const PageElement& e) {
        out_.Open("img");
        Classes(e);
        out_.Url("src", e.src.view());
        if (e.description < 0)
            out_.Attribute("aria-hidden", "true");
        if (!e.hasAlt) {
            out_.Attribute("alt", "").Attribute("role", "presentation");
            return;
        }
        out_.Attribute("alt", e.alt);
        if (!e.blank && e.description > 0 &&
            size_t(e.description) <= page_.GetDescriptions().size()) {
            const StringT& title = page_.GetDescriptions()[size_t(e.description) - 1].second;
            if (!title.empty())
                out_.Attribute("title", title);
        }
    }
    // Opens the element; the language in effect inside it.
    StringT Open(const PageElement& e) {
        if (e.tag == "a")
            return Link(e);
        if (e.tag == "img") {
            Image(e);
            return {};
        }
        out_.Open(e.tag);
        Id(e);
        Classes(e);
        if (e.tag == "div")
            Description(e);
        StringT language = Language(e);
        if (e.rightToLeft)
            out_.Attribute("dir", "rtl");
        return language;
    }

    XmlWriter& out_;
    const PageContext& publication_;
    const Page& page_;
    struct OpenElement {
        const PageElement* element;
        StringT language; // in effect inside it
    };
    std::vector<OpenElement> open_;
    StringT pageLanguage_;
};

// What a reading system shows for the page: its label, or "Page N" in the page's language when
// the label is no more than a number (or there is none).
std::string PageTitle(std::string_view label, const StringT& language) {
    const bool number = label.find_first_not_of("0123456789") == std::string_view::npos;
    if (!number)
        return std::string(label);
    std::string title = GeneratedText(TextKey::kPage, language.view()).str();
    const size_t at = title.find("%1");
    if (at != std::string::npos)
        title.replace(at, 2, label);
    return title;
}

void StyleSheetLink(XmlWriter& x, std::string_view href) {
    x.Space("\n\t\t").Open("link").Url("href", href);
    x.Attribute("rel", "stylesheet").Attribute("type", "text/css").CloseEmpty(true);
}

} // namespace

void WritePageDocument(Foundation::OutStream& out, const PageContext& publication, const Page& page,
                       std::string_view givenLabel) {
    const std::string n = Number(page.GetNumber());
    // A label with nothing left once what XML cannot hold is dropped would be an empty title.
    const std::string_view label = BlankText(givenLabel) ? std::string_view(n) : givenLabel;
    const std::string w = std::to_string(page.GetWidth()), h = std::to_string(page.GetHeight());
    XmlWriter x;
    x.Declare(XmlWriter::Declaration::NotStandalone).Doctype().Open("html");
    x.Attribute("xmlns", "http://www.w3.org/1999/xhtml");
    x.Attribute("xmlns:epub", "http://www.idpf.org/2007/ops");
    StringT language = page.GetMainLanguage();
    if (language.empty())
        language = publication.language;
    if (!language.empty())
        x.Attribute("lang", language).Attribute("xml:lang", language);
    x.Close().Space("\n\t").Open("head").Close();
    x.Space("\n\t\t").Open("meta").Attribute("charset", "utf-8").CloseEmpty(true);
    x.Space("\n\t\t").Open("meta").Attribute("name", "viewport");
    x.Attribute("content", "width=" + w + ", height=" + h).CloseEmpty(true);
    x.Space("\n\t\t").Element("title", PageTitle(label, language));
    StyleSheetLink(x, "css/styles.css");
    StyleSheetLink(x, "css/page" + n + ".css");
    for (const StringT& sheet : publication.styleSheets)
        StyleSheetLink(x, sheet.view());
    x.Space("\n\t").End("head").Space("\n\t").Open("body").Attribute("id", "page-" + n);
    x.Attribute("style", "width: " + w + "px; height: " + h + "px").Close();
    x.Space("\n\t\t").Open("span").Attribute("epub:type", "pagebreak").Attribute("id", "pg" + n);
    x.Attribute("title", label).Attribute("role", "doc-pagebreak").Attribute("aria-label", label);
    x.CloseEmpty(true);
    ElementWriter(x, publication, page, language).WriteAll();
    x.Space("\n\t").End("body").Space("\n").End("html").Space("\n");
    out << x.View();
}

} // namespace EPub
