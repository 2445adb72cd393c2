// SPDX-License-Identifier: MIT
#include "readers/docx/FontTable.h"

#include "readers/common/ZipPackage.h"
#include "readers/docx/Relationships.h"
#include "readers/docx/XmlPart.h"

#include <array>
#include <cctype>

namespace Readers::Docx {

namespace {

bool LooksLikeFont(std::string_view data) {
    return data.size() > 12 &&
           (data.substr(0, 4) == std::string_view("\0\1\0\0", 4) || data.substr(0, 4) == "OTTO" ||
            data.substr(0, 4) == "true" || data.substr(0, 4) == "ttcf");
}

} // namespace

bool Deobfuscate(std::string& font, std::string_view guid) {
    std::string hex;
    for (const char c : guid)
        if (std::isxdigit(static_cast<unsigned char>(c)))
            hex += c;
        else if (c != '{' && c != '}' && c != '-')
            return false;
    if (hex.size() != 32)
        return false;
    std::array<uint8_t, 16> key{};
    for (size_t i = 0; i < 16; ++i)
        key[i] = static_cast<uint8_t>(std::stoi(hex.substr(30 - 2 * i, 2), nullptr, 16));
    for (size_t i = 0; i < 32 && i < font.size(); ++i)
        font[i] = static_cast<char>(static_cast<uint8_t>(font[i]) ^ key[i % 16]);
    return true;
}

Foundation::Counted<Foundation::MemoryFontRegistry>
ReadEmbeddedFonts(Package& package, const XmlPart& fontTable, const Relationships& links,
                  std::vector<ReaderFinding>& findings) {
    Foundation::Counted<Foundation::MemoryFontRegistry> registry;
    for (pugi::xml_node font = fontTable.Root().first_child(); font; font = font.next_sibling()) {
        if (!Is(font, "font"))
            continue;
        for (pugi::xml_node e = font.first_child(); e; e = e.next_sibling()) {
            const std::string_view kind = LocalName(e);
            if (!kind.starts_with("embed"))
                continue;
            const Relationship* rel = links.Find(AttrText(e, "id"));
            if (!rel || rel->external || !package.Has(rel->target)) {
                findings.push_back({fontTable.Where(e), "an embedded font is missing"});
                continue;
            }
            std::string data;
            try {
                data = package.Read(rel->target);
            } catch (const InputError&) {
                findings.push_back({rel->target, "a damaged embedded font was skipped"});
                continue;
            }
            if (!Deobfuscate(data, AttrText(e, "fontKey")) || !LooksLikeFont(data)) {
                findings.push_back(
                    {rel->target, "an embedded font that cannot be read was skipped"});
                continue;
            }
            if (!registry)
                registry = Foundation::MakeCounted<Foundation::MemoryFontRegistry>();
            const std::string_view name = rel->target;
            std::string_view file = name.substr(name.rfind('/') + 1);
            file = file.substr(0, file.rfind('.'));
            if (registry->Register(Foundation::StringT(std::string(file) + ".ttf"),
                                   std::move(data)) == 0)
                findings.push_back(
                    {rel->target, "an embedded font that cannot be read was skipped"});
        }
    }
    return registry;
}

} // namespace Readers::Docx
