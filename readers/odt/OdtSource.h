// SPDX-License-Identifier: MIT
#pragma once
// Where an OpenDocument text comes from: a zip package (content.xml, styles.xml, meta.xml and
// the pictures and fonts beside them) or one flat XML file holding the same elements under
// office:document. The reader sees the same roots either way.

#include "readers/common/ReaderDocument.h"
#include "readers/common/SafeXml.h"
#include "readers/common/ZipPackage.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Readers::Odt {

class OdtSource {
public:
    // Throws InputError for anything that is not a readable OpenDocument text.
    OdtSource(std::string_view bytes, std::string source, PackageLimits limits);

    pugi::xml_node Content() const { return content_->Root(); }
    // Null when the package has no such part.
    pugi::xml_node Styles() const { return styles_ ? styles_->Root() : pugi::xml_node(); }
    pugi::xml_node Meta() const { return meta_ ? meta_->Root() : pugi::xml_node(); }
    bool Flat() const noexcept { return !package_; }
    const std::string& Source() const noexcept { return source_; }

    // "PART:LINE" of a node of any part; ":LINE" in a flat file.
    std::string Where(pugi::xml_node node) const;
    [[noreturn]] void Fail(pugi::xml_node node, std::string_view problem) const;
    // A file of the package by its reference ("Pictures/a.png"); nullopt when missing or
    // unreadable (the reason in `problem`). Refused packages (zip bombs) still throw.
    std::optional<std::string> ReadFile(std::string_view href, std::string& problem);
    // Parts the manifest lists under Fonts/ or that font faces name.
    std::vector<std::string> FontFiles() const;
    std::vector<ReaderFinding>& Findings() noexcept { return findings_; }

private:
    std::unique_ptr<XmlPart> Optional(const std::string& part);

    std::string source_;
    std::unique_ptr<Package> package_;
    std::unique_ptr<XmlPart> content_, styles_, meta_, manifest_;
    std::vector<ReaderFinding> findings_;
};

} // namespace Readers::Odt
