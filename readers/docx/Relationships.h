// SPDX-License-Identifier: MIT
#pragma once
// The relationships of one part: what its r:id attributes point at, inside the package or out.

#include <map>
#include <string>
#include <string_view>

namespace Readers {
class Package;
}

namespace Readers::Docx {

struct Relationship {
    std::string type;    // the last segment of the type URI ("image", "hyperlink"...)
    std::string target;  // an absolute part name, or the URL of an external target
    std::string written; // the target as the relationship gives it
    bool external = false;
};

class Relationships {
public:
    Relationships() = default;
    // The relationships of `part` ("/word/document.xml" reads "/word/_rels/document.xml.rels");
    // none when the package has no such part.
    Relationships(Package& package, std::string_view part);

    const Relationship* Find(std::string_view id) const;
    // The first internal target of that type, empty when none.
    std::string TargetOfType(std::string_view type) const;
    // The first internal relationship of that type, also one whose target climbs out of the
    // package (an empty target); null when none.
    const Relationship* OfType(std::string_view type) const;
    // The relationships part these come from, empty when there is none.
    const std::string& Source() const noexcept { return source_; }

private:
    std::map<std::string, Relationship, std::less<>> byId_;
    std::string source_;
};

// `target` taken relative to the folder of `source`, "." and ".." resolved; empty when it climbs
// out of the package.
std::string ResolvePartName(std::string_view source, std::string_view target);

} // namespace Readers::Docx
