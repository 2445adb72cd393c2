// SPDX-License-Identifier: MIT
#include "epub/package/NavigationModel.h"

#include "epub/xml/TextEncoding.h"

#include <algorithm>

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
    // A list item must begin with a link or a span: text alone is not valid navigation.
    if (entry.href.Empty()) {
        x.Element("span", entry.text.view());
        return;
    }
    x.Open("a").Path("href", entry.href.path.view(), entry.href.fragment.view());
    if (!entry.type.empty())
        x.Attribute("epub:type", entry.type);
    x.Close().Text(entry.text).End("a");
}

// The entries written: blank texts are left out, and so is an entry without a link that
// nothing nests under, since a span may only head a list.
std::vector<const NavigationEntry*> Shown(const std::vector<NavigationEntry>& entries) {
    std::vector<const NavigationEntry*> shown;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (BlankText(it->text.view()))
            continue;
        if (it->href.Empty() && (shown.empty() || shown.back()->level <= it->level))
            continue;
        shown.push_back(&*it);
    }
    std::ranges::reverse(shown);
    return shown;
}

// Each entry's item stays open until the next entry shows whether something nests in it.
void WriteEntries(XmlWriter& x, const std::vector<NavigationEntry>& entries) {
    std::vector<int> open; // the source levels of the items still open, outermost first
    for (const NavigationEntry* shown : Shown(entries)) {
        const NavigationEntry& entry = *shown;
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
