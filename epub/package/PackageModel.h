// SPDX-License-Identifier: MIT
#pragma once
// What a package document (package.opf) says, whichever layout built it, and the one writer that
// turns it into markup. Builders decide what goes in; the writer decides order and escaping.

#include "epub/xml/XmlWriter.h"
#include "host/foundation/StringT.h"

#include <string>
#include <utility>
#include <vector>

namespace EPub {

using Foundation::StringT;

enum class PaginationSourceType : int32_t;

// A path inside the publication with an optional "#fragment".
struct PackageHref {
    PackageHref() = default;
    PackageHref(StringT p, StringT f = {}, bool encoded = false)
        : path(std::move(p)), fragment(std::move(f)), percentEncoded(encoded) {}

    StringT path;
    StringT fragment;
    // The path may already hold percent groups (names taken from files on disk).
    bool percentEncoded = false;

    bool Empty() const noexcept { return path.empty() && fragment.empty(); }
};

// A meta element that refines another by id.
struct PackageRefinement {
    StringT property;
    StringT scheme;
    StringT value;
};

struct PackageIdentifier {
    StringT id;
    StringT value;
    std::vector<PackageRefinement> refinements;
};

struct PackageCreator {
    StringT name;
    StringT id;   // empty for none; needed for a role
    StringT role; // MARC relator code; empty for none
    // dc:contributor rather than dc:creator.
    bool contributor = false;
};

// <meta property="...">value</meta>
struct PackageProperty {
    StringT property;
    StringT value;
};

struct PackageMetadata {
    std::vector<PackageIdentifier> identifiers; // the first is the unique identifier
    std::vector<StringT> titles;
    std::vector<StringT> languages;
    // Authors lead the descriptive fields; illustrators and other contributors follow them.
    std::vector<PackageCreator> authors;
    std::vector<PackageCreator> contributors;
    StringT date;
    StringT modified;
    StringT description, rights, subject, publisher;
    // Markup an XmlWriter made (the accessibility description), placed before the properties.
    std::string accessibility;
    std::vector<PackageProperty> renditionProperties; // rendition:*
    std::vector<PackageProperty> readerProperties;    // properties one reading system reads
    // The print edition the page list follows: pageBreakSource and its bare form in dc:source.
    StringT pageBreakSource;
    StringT source;
    // An ISBN goes into pageBreakSource as a URN and bare into dc:source; none clears both.
    void SetPageSource(PaginationSourceType type, const StringT& edition);
    StringT coverImageId; // the old cover meta; empty for none
    StringT generator;
};

struct ManifestItem {
    StringT id;
    PackageHref href;
    std::string_view mediaType;
    StringT properties;
};

enum class SpineLinear { Unset, Yes, No };
enum class SpinePageSpread { Auto, Left, Right, Center };

struct SpineItem {
    SpineItem(StringT id, SpineLinear l = SpineLinear::Unset,
              SpinePageSpread s = SpinePageSpread::Auto)
        : idref(std::move(id)), linear(l), spread(s) {}

    StringT idref;
    SpineLinear linear = SpineLinear::Unset;
    SpinePageSpread spread = SpinePageSpread::Auto;
};

struct GuideReference {
    StringT type;
    StringT title;
    PackageHref href;
};

struct PackageModel {
    XmlWriter::Declaration declaration = XmlWriter::Declaration::Plain;
    StringT prefix; // the package's prefix attribute
    StringT lang;
    // Declares the opf prefix on the metadata element, for the old cover meta.
    bool opfNamespace = false;
    PackageMetadata metadata;
    std::vector<ManifestItem> manifest;
    std::vector<SpineItem> spine;
    bool rightToLeft = false;
    // The cover document's markup keeps " />", so packages compare byte for byte with earlier
    // exports; empty for none.
    StringT coverDocumentId;
    std::vector<GuideReference> guide;
};

// The spine's properties value for a spread; empty for none.
std::string_view SpreadProperty(SpinePageSpread spread);

// The markup of package.opf.
std::string WritePackage(const PackageModel& package);

} // namespace EPub
