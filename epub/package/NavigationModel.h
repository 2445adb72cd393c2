// SPDX-License-Identifier: MIT
#pragma once
// What a navigation document lists, whichever layout built it, and the one writer that turns it
// into markup: the contents with their nesting, the page list and the landmarks.

#include "epub/package/PackageModel.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace EPub {

struct NavigationEntry {
    StringT text;
    PackageHref href; // empty: the text stands alone, heading the entries nested under it
    // Nesting depth as the source had it. Only the order of levels counts: the first entry is at
    // the top whatever its level, and an entry deeper than the one before nests one step.
    int level = 0;
    StringT type; // the link's epub:type, for landmarks
};

struct NavigationList {
    NavigationList(StringT epubType, StringT headingText)
        : type(std::move(epubType)), heading(std::move(headingText)) {}

    StringT type; // epub:type: toc, page-list, landmarks
    StringT id;   // empty for none
    StringT role; // empty for none
    std::string_view headingElement = "h2";
    StringT heading;
    bool hidden = false;
    std::vector<NavigationEntry> entries;
};

struct NavigationModel {
    XmlWriter::Declaration declaration = XmlWriter::Declaration::Plain;
    // A doctype and a charset meta, for reading systems that read the document as HTML.
    bool htmlHead = false;
    StringT lang;
    StringT title;
    std::vector<NavigationList> lists; // in document order
};

// True when no character a reader could see is left once what XML cannot hold is dropped.
bool BlankText(std::string_view text);

// The markup of the navigation document. Entries with blank texts are left out (a link must
// show something); entries nested under them move up to the entry before.
std::string WriteNavigation(const NavigationModel& navigation);

} // namespace EPub
