// SPDX-License-Identifier: MIT
#pragma once
// Where an OpenDocument text comes from: a zip package (content.xml, styles.xml, meta.xml and
// the pictures and fonts beside them) or one flat XML file holding the same elements under
// office:document. The reader sees the same roots either way.

#include "readers/common/BlockStream.h"
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

    // content.xml, or the flat file, read a block at a time.
    BlockStream& Content() noexcept { return *content_; }
    // What stands before the body in the content (automatic styles, fonts; in a flat file also
    // the styles and metadata), kept as the blocks are read: call ForEachBlock with KeepHead.
    pugi::xml_node Head() const { return head_.root(); }
    void KeepHead(pugi::xml_node node) { head_.append_copy(node); }
    // Null when the package has no such part; the head for a flat file.
    pugi::xml_node Styles() const { return styles_ ? styles_->Root() : Head(); }
    pugi::xml_node Meta() const { return meta_ ? meta_->Root() : Head(); }
    bool Flat() const noexcept { return !package_; }
    const std::string& Source() const noexcept { return source_; }

    // "PART:LINE" of a node of any part; ":LINE" in a flat file.
    std::string Where(pugi::xml_node node) const;
    [[noreturn]] void Fail(pugi::xml_node node, std::string_view problem) const;
    // A file of the package by its reference ("Pictures/a.png"); nullopt when missing or
    // unreadable (the reason in `problem`). Refused packages (zip bombs) still throw.
    std::optional<std::string> ReadFile(std::string_view href, std::string& problem);
    // An XML part of the package by its folder ("./Object 1" gives "Object 1/content.xml");
    // null when missing or unusable.
    std::unique_ptr<XmlPart> ReadObject(std::string_view href);
    // Parts the manifest lists under Fonts/ or that font faces name.
    std::vector<std::string> FontFiles() const;
    std::vector<ReaderFinding>& Findings() noexcept { return findings_; }

private:
    std::unique_ptr<XmlPart> Optional(const std::string& part);

    std::string source_;
    std::unique_ptr<Package> package_;
    std::unique_ptr<BlockStream> content_;
    std::unique_ptr<XmlPart> styles_, meta_, manifest_;
    pugi::xml_document head_;
    std::vector<ReaderFinding> findings_;
};

} // namespace Readers::Odt
