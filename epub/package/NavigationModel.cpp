// SPDX-License-Identifier: MIT
#include "epub/package/NavigationModel.h"

#include "epub/xml/TextEncoding.h"

namespace EPub {

namespace {

void WriteHead(XmlWriter& x, const NavigationModel& n) {
    x.Declare(n.declaration);
    if (n.htmlHead)
        x.Doctype();
    x.Open("html").Attribute("xmlns", "http://www.w3.org/1999/xhtml");
    x.Attribute("xmlns:epub", "http://www.idpf.org/2007/ops");
    x.Attribute("lang", n.lang).Attribute("xml:lang", n.lang).Close().Space("\n");
    x.Open("head").Close().Space("\n");
    if (n.htmlHead)
        x.Open("meta").Attribute("charset", "utf-8").CloseEmpty(true).Space("\n");
    x.Element("title", n.title.view()).Space("\n").End("head").Space("\n");
}

void WriteEntryText(XmlWriter& x, const NavigationEntry& entry) {
    if (entry.href.Empty()) {
        x.Text(entry.text);
        return;
    }
    x.Open("a").Path("href", entry.href.path.view(), entry.href.fragment.view());
    if (!entry.type.empty())
        x.Attribute("epub:type", entry.type);
    x.Close().Text(entry.text).End("a");
}

// Each entry's item stays open until the next entry shows whether something nests in it.
void WriteEntries(XmlWriter& x, const std::vector<NavigationEntry>& entries) {
    std::vector<int> open; // the source levels of the items still open, outermost first
    for (const NavigationEntry& entry : entries) {
        if (BlankText(entry.text.view()))
            continue;
        if (!open.empty() && entry.level > open.back()) {
            x.Open("ol").Close().Space("\n");
        } else {
            // Close every item at this level or deeper, and the lists they end.
            while (!open.empty() && open.back() >= entry.level) {
                x.End("li").Space("\n");
                open.pop_back();
                if (!open.empty() && open.back() >= entry.level)
                    x.End("ol").Space("\n");
            }
        }
        x.Open("li").Close();
        WriteEntryText(x, entry);
        open.push_back(entry.level);
    }
    while (!open.empty()) {
        x.End("li").Space("\n");
        open.pop_back();
        if (!open.empty())
            x.End("ol").Space("\n");
    }
}

void WriteList(XmlWriter& x, const NavigationList& list) {
    x.Open("nav");
    if (!list.id.empty())
        x.Attribute("id", list.id);
    x.Attribute("epub:type", list.type);
    if (!list.role.empty())
        x.Attribute("role", list.role);
    if (list.hidden)
        x.Attribute("hidden", "hidden");
    x.Close().Space("\n").Element(list.headingElement, list.heading.view()).Space("\n");
    x.Open("ol").Close().Space("\n");
    WriteEntries(x, list.entries);
    x.End("ol").Space("\n").End("nav").Space("\n");
}

} // namespace

bool BlankText(std::string_view text) {
    const StringT kept = DropXmlIllegal(text);
    return kept.view().find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string WriteNavigation(const NavigationModel& navigation) {
    XmlWriter x;
    WriteHead(x, navigation);
    x.Open("body").Close().Space("\n");
    for (const NavigationList& list : navigation.lists)
        WriteList(x, list);
    x.End("body").Space("\n").End("html").Space("\n");
    return x.Take();
}

} // namespace EPub
