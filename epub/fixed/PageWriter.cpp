// SPDX-License-Identifier: MIT
#include "epub/fixed/PageWriter.h"

#include "epub/content/TextEncoding.h"
#include "epub/fixed/Publication.h"
#include "epub/package/PackageText.h"

#include <concepts>
#include <cstdio>
#include <vector>

namespace EPub {

namespace {

template <class I>
requires std::integral<I> Foundation::OutStream& operator<<(Foundation::OutStream& out, I value) {
    return out << std::string_view(std::to_string(value));
}

constexpr int kMaxIndentedDepth = 32;

std::string Hex(unsigned char c) {
    char buffer[4];
    std::snprintf(buffer, sizeof buffer, "%%%02x", c);
    return buffer;
}

class ElementWriter {
public:
    ElementWriter(Foundation::OutStream& out, const Publication& publication, const Page& page)
        : out_(out), publication_(publication), page_(page) {}

    void WriteAll() {
        const auto& elements = page_.GetElements();
        for (size_t i = 0; i < elements.size(); ++i) {
            const PageElement& e = elements[i];
            CloseDownTo(e.depth);
            const bool hasChildren = i + 1 < elements.size() && elements[i + 1].depth > e.depth;
            if (!InText())
                NewLine(e.depth);
            Open(e);
            if (hasChildren) {
                out_ << ">";
                open_.push_back(&e);
            } else if (!e.text.empty()) {
                out_ << ">" << EncodeText(e.text) << "</" << e.tag << ">";
            } else {
                out_ << " />";
            }
        }
        CloseDownTo(0);
    }

private:
    // Inside a span, layout whitespace would become part of the text (a space between two runs of
    // one word when read aloud or copied): its children follow each other directly.
    bool InText() const { return !open_.empty() && open_.back()->tag == "span"; }
    void NewLine(int depth) {
        if (depth >= kMaxIndentedDepth)
            return;
        out_ << "\n" << std::string(size_t(depth) + 2, '\t');
    }
    void CloseDownTo(int depth) {
        while (!open_.empty() && open_.back()->depth >= depth) {
            const PageElement* closing = open_.back();
            if (closing->tag != "span")
                NewLine(closing->depth);
            out_ << "</" << closing->tag << ">";
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
            out_ << " class=\"" << list << "\"";
    }
    void Id(const PageElement& e) {
        if (e.id == 0)
            return;
        const std::string_view prefix = e.tag == "div" ? "div" : e.tag;
        out_ << " id=\"" << prefix << page_.GetNumber() << "-" << e.id << "\"";
    }
    void Description(const PageElement& e) {
        if (e.description < 0)
            out_ << " aria-hidden=\"true\"";
        const int32_t index = e.description < 0 ? ~e.description : e.description;
        if (index <= 0 || size_t(index) > page_.GetDescriptions().size())
            return;
        const auto& [label, title] = page_.GetDescriptions()[size_t(index) - 1];
        out_ << " role=\"img";
        if (!label.empty())
            out_ << "\" aria-label=\"" << EncodeText(label.view());
        if (!title.empty())
            out_ << "\" title=\"" << EncodeText(title.view());
        out_ << "\"";
    }
    void Language(const PageElement& e) {
        if (e.language < 0 || size_t(e.language) >= page_.GetLanguages().size())
            return;
        const StringT& language = page_.GetLanguages()[size_t(e.language)].first;
        if (language == current_ || language.empty())
            return;
        out_ << " lang=\"" << language << "\" xml:lang=\"" << language << "\"";
        current_ = language;
    }
    void Link(const PageElement& e) {
        if (e.targetPage == 0 && e.anchorNumber == 0) {
            out_ << "<a href=\"" << LinkEncode(e.url.view()) << "\"";
        } else if (e.targetPage == 0) {
            out_ << "<a id=\"" << publication_.AnchorId(page_.GetNumber(), e.anchorNumber) << "\"";
        } else {
            out_ << "<a href=\"page" << e.targetPage << ".xhtml";
            if (e.anchorNumber != 0)
                out_ << "#" << publication_.AnchorId(e.targetPage, e.anchorNumber);
            out_ << "\"";
        }
        Classes(e);
    }
    void Image(const PageElement& e) {
        out_ << "<img";
        Classes(e);
        out_ << " src=\"" << EncodeURL(e.src.view());
        if (e.description < 0)
            out_ << "\" aria-hidden=\"true";
        if (!e.hasAlt) {
            out_ << "\" alt=\"\" role=\"presentation\"";
            return;
        }
        out_ << "\" alt=\"" << EncodeText(e.alt.view());
        if (!e.blank && e.description > 0 &&
            size_t(e.description) <= page_.GetDescriptions().size()) {
            const StringT& title = page_.GetDescriptions()[size_t(e.description) - 1].second;
            if (!title.empty())
                out_ << "\" title=\"" << EncodeText(title.view());
        }
        out_ << "\"";
    }
    void Open(const PageElement& e) {
        if (e.tag == "a")
            return Link(e);
        if (e.tag == "img")
            return Image(e);
        out_ << "<" << e.tag;
        Id(e);
        Classes(e);
        if (e.tag == "div")
            Description(e);
        Language(e);
        if (e.rightToLeft)
            out_ << " dir=\"rtl\"";
    }

    Foundation::OutStream& out_;
    const Publication& publication_;
    const Page& page_;
    std::vector<const PageElement*> open_;
    StringT current_;
};

} // namespace

std::string EncodeURL(std::string_view url) {
    std::string out;
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case ' ':
        case '"':
        case '<':
        case '>':
        case '^':
        case '`':
        case '{':
        case '|':
        case '}':
            out += Hex(c);
            continue;
        case '&':
            out += "&amp;";
            continue;
        case '\'':
            out += "&apos;";
            continue;
        case '\\':
            out += '/';
            continue;
        default:
            break;
        }
        if (c < 0x20 || c >= 0x7F)
            out += Hex(c);
        else
            out += ch;
    }
    return out;
}

std::string EncodeText(std::string_view text) {
    // What XML 1.0 cannot hold has no escape either: "&#1;" makes the page not well-formed.
    const StringT legal = DropXmlIllegal(text);
    std::string out;
    for (const char ch : legal.view()) {
        switch (ch) {
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '&':
            out += "&amp;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            out += ch;
        }
    }
    return out;
}

void WritePageDocument(Foundation::OutStream& out, const Publication& publication, const Page& page,
                       std::string_view label) {
    const auto n = page.GetNumber();
    const auto w = page.GetWidth(), h = page.GetHeight();
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<!DOCTYPE html>\n"
        << "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops";
    StringT language = page.GetMainLanguage();
    if (language.empty())
        language = publication.GetLanguage();
    if (!language.empty())
        out << "\" lang=\"" << language << "\" xml:lang=\"" << language;
    out << "\">\n\t<head>\n\t\t<meta charset=\"utf-8\" />\n\t\t<meta name=\"viewport\" "
           "content=\"width="
        << w << ", height=" << h << "\" />\n\t\t<title>page-" << n
        << "</title>\n\t\t<link href=\"css/styles.css\" rel=\"stylesheet\" type=\"text/css\" "
           "/>\n\t\t<link href=\"css/page"
        << n << ".css\" rel=\"stylesheet\" type=\"text/css\" />";
    for (const StringT& sheet : publication.GetStyleSheets())
        out << "\n\t\t<link href=\"" << sheet << "\" rel=\"stylesheet\" type=\"text/css\" />";
    out << "\n\t</head>\n\t<body id=\"page-" << n << "\" style=\"width: " << w
        << "px; height: " << h << "px\">";
    const std::string escaped = EncodeText(label);
    out << "\n\t\t<span epub:type=\"pagebreak\" id=\"pg" << n << "\" title=\"" << escaped
        << "\" role=\"doc-pagebreak\" aria-label=\"" << escaped << "\" />";
    ElementWriter(out, publication, page).WriteAll();
    out << "\n\t</body>\n</html>\n";
}

} // namespace EPub
