// SPDX-License-Identifier: MIT
#include "readers/docx/Relationships.h"

#include "readers/common/ZipPackage.h"
#include "readers/docx/XmlPart.h"

#include <vector>

namespace Readers::Docx {

std::string ResolvePartName(std::string_view source, std::string_view target) {
    std::vector<std::string_view> segments;
    std::string_view rest = target;
    if (!rest.empty() && rest.front() == '/') {
        rest.remove_prefix(1);
    } else {
        std::string_view folder = source.substr(0, source.rfind('/') + 1);
        while (!folder.empty()) {
            const size_t slash = folder.find('/');
            if (slash > 0)
                segments.push_back(folder.substr(0, slash));
            folder.remove_prefix(slash + 1);
        }
    }
    // A fragment or query never names a part.
    rest = rest.substr(0, rest.find_first_of("#?"));
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        if (segment.empty() || segment == ".")
            continue;
        if (segment == "..") {
            if (segments.empty())
                return {};
            segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    std::string out;
    for (const std::string_view s : segments)
        out += "/" + std::string(s);
    return out;
}

Relationships::Relationships(Package& package, std::string_view part) {
    const size_t slash = part.rfind('/');
    const std::string relsName = std::string(part.substr(0, slash + 1)) + "_rels/" +
                                 std::string(part.substr(slash + 1)) + ".rels";
    if (!package.Has(relsName))
        return;
    source_ = relsName;
    const XmlPart rels(package, relsName);
    for (pugi::xml_node r = rels.Root().first_child(); r; r = r.next_sibling()) {
        if (!Is(r, "Relationship"))
            continue;
        Relationship rel;
        const std::string_view type = AttrText(r, "Type");
        rel.type = std::string(type.substr(type.rfind('/') + 1));
        rel.external = AttrText(r, "TargetMode") == "External";
        const std::string_view target = AttrText(r, "Target");
        rel.written = std::string(target);
        rel.target = rel.external ? std::string(target) : ResolvePartName(part, target);
        byId_.emplace(std::string(AttrText(r, "Id")), std::move(rel));
    }
}

const Relationship* Relationships::Find(std::string_view id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &it->second;
}

std::string Relationships::TargetOfType(std::string_view type) const {
    for (const auto& [id, rel] : byId_)
        if (!rel.external && rel.type == type && !rel.target.empty())
            return rel.target;
    return {};
}

const Relationship* Relationships::OfType(std::string_view type) const {
    for (const auto& [id, rel] : byId_)
        if (!rel.external && rel.type == type)
            return &rel;
    return nullptr;
}

} // namespace Readers::Docx
