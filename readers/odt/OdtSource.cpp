// SPDX-License-Identifier: MIT
#include "readers/odt/OdtSource.h"

#include "readers/common/ReaderDocument.h"

namespace Readers::Odt {

namespace {

constexpr std::string_view kTextType = "application/vnd.oasis.opendocument.text";

// Text, its template, a web page or a master document: all hold office:text.
bool IsTextType(std::string_view type) {
    return type == kTextType || type == "application/vnd.oasis.opendocument.text-template" ||
           type == "application/vnd.oasis.opendocument.text-web" ||
           type == "application/vnd.oasis.opendocument.text-master" ||
           type == "application/vnd.oasis.opendocument.text-master-template";
}

// The package's own name for a reference: "Pictures/a.png", "./Pictures/a.png".
std::string PartOf(std::string_view href) {
    while (href.starts_with("./"))
        href.remove_prefix(2);
    return std::string(href);
}

} // namespace

OdtSource::OdtSource(std::string_view bytes, std::string source, PackageLimits limits)
    : source_(std::move(source)) {
    if (bytes.substr(0, 2) != "PK") {
        // One XML document: the whole file is the content, styles and metadata.
        CheckUtf8(source_, {}, bytes);
        content_ = std::make_unique<BlockStream>(source_, std::string(), std::string(bytes));
        const pugi::xml_node root = content_->Root();
        if (!Is(root, "document"))
            FailAt(source_, {},
                   "not an OpenDocument text (its root is <" + std::string(root.name()) + ">)");
        const std::string_view type = AttrText(root, "mimetype");
        if (!type.empty() && type != kTextType &&
            type != "application/vnd.oasis.opendocument.text-template")
            FailAt(source_, {}, "an OpenDocument file of another kind (" + std::string(type) + ")");
        return;
    }
    package_ = std::make_unique<Package>(bytes, source_, limits);
    if (package_->Has("mimetype")) {
        const std::string type = package_->Read("mimetype");
        if (!IsTextType(type))
            package_->Fail("mimetype",
                           "an OpenDocument package of another kind (" + type.substr(0, 80) + ")");
    }
    manifest_ = Optional("META-INF/manifest.xml");
    if (manifest_)
        for (pugi::xml_node e = manifest_->Root().first_child(); e; e = e.next_sibling())
            for (pugi::xml_node c = e.first_child(); c; c = c.next_sibling())
                if (Is(c, "encryption-data"))
                    package_->Fail(std::string(AttrText(e, "full-path")),
                                   "encrypted documents are not supported");
    if (!package_->Has("content.xml"))
        package_->Fail("content.xml", "missing from the package: not an OpenDocument text");
    content_ = std::make_unique<BlockStream>(*package_, "content.xml");
    CheckUtf8(source_, "content.xml", content_->Text());
    if (!Is(content_->Root(), "document-content"))
        package_->Fail("content.xml", "not OpenDocument content (its root is <" +
                                          std::string(content_->Root().name()) + ">)");
    styles_ = Optional("styles.xml");
    meta_ = Optional("meta.xml");
}

std::unique_ptr<XmlPart> OdtSource::Optional(const std::string& part) {
    if (!package_->Has(part))
        return {};
    try {
        std::string text = package_->Read(part);
        CheckUtf8(source_, part, text);
        return std::make_unique<XmlPart>(source_, part, std::move(text));
    } catch (const InputError& e) {
        const std::string message = e.what();
        if (message.find("(DTD)") != std::string::npos ||
            message.find("zip bomb") != std::string::npos)
            throw;
        findings_.push_back(
            {part, "unusable part skipped: " +
                       message.substr(std::min(message.size(), source_.size() + 2))});
        return {};
    }
}

std::string OdtSource::Where(pugi::xml_node node) const {
    const pugi::xml_node document = node.root();
    for (const auto* part : {&styles_, &meta_, &manifest_})
        if (*part && (*part)->Root().root() == document)
            return (*part)->Where(node);
    // Copies of the head have no place in the text any more.
    if (document == head_.root())
        return Flat() ? std::string() : content_->Name();
    return content_->Where(node);
}

void OdtSource::Fail(pugi::xml_node node, std::string_view problem) const {
    FailAt(source_, Where(node), problem);
}

std::optional<std::string> OdtSource::ReadFile(std::string_view href, std::string& problem) {
    if (!package_) {
        problem = "a picture outside the document (" + std::string(href) + ") was skipped";
        return std::nullopt;
    }
    const std::string part = PartOf(href);
    if (part.empty() || part.find("://") != std::string::npos || part.starts_with("/") ||
        part.starts_with("../")) {
        problem = "a linked picture (not in the document) was skipped";
        return std::nullopt;
    }
    if (!package_->Has(part)) {
        problem = "the picture " + part + " is missing from the package";
        return std::nullopt;
    }
    try {
        return package_->Read(part);
    } catch (const InputError& e) {
        if (std::string_view(e.what()).find("zip bomb") != std::string_view::npos)
            throw;
        problem = "the picture " + part + " is damaged and was skipped";
        return std::nullopt;
    }
}

std::unique_ptr<XmlPart> OdtSource::ReadObject(std::string_view href) {
    if (!package_)
        return {};
    std::string part = PartOf(href);
    if (part.empty() || part.find("://") != std::string::npos || part.starts_with("../"))
        return {};
    part += "/content.xml";
    try {
        if (!package_->Has(part))
            return {};
        std::string text = package_->Read(part);
        CheckUtf8(source_, part, text);
        return std::make_unique<XmlPart>(source_, part, std::move(text));
    } catch (const InputError& e) {
        if (std::string_view(e.what()).find("zip bomb") != std::string_view::npos)
            throw;
        return {};
    }
}

std::vector<std::string> OdtSource::FontFiles() const {
    std::vector<std::string> files;
    if (!package_)
        return files;
    for (const std::string& name : package_->PartNames()) {
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower.starts_with("/fonts/") &&
            (lower.ends_with(".ttf") || lower.ends_with(".otf") || lower.ends_with(".woff")))
            files.push_back(name.substr(1));
    }
    return files;
}

} // namespace Readers::Odt
