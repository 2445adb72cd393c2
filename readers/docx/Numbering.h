// SPDX-License-Identifier: MIT
#pragma once
// List numbering: the definitions (abstract numberings, their levels, the numbering instances
// with overrides) and the counters that run through the document, so every list paragraph gets
// the label Word would show.

#include "host/text/ListAtt.h"
#include "readers/docx/XmlPart.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace Readers::Docx {

struct ListLabel {
    Text::ListType type = Text::ListType::None;
    int level = 0;
    int number = 0; // of this level
    Text::NumberFormat format = Text::NumberFormat::Decimal;
    std::string prefix;                 // before the number (parent numbers)
    std::string suffix;                 // after it, with the separator
    std::string bullet;                 // for bullets, with the separator
    std::string text;                   // the whole label as Word shows it
    pugi::xml_node paragraphProperties; // the level's pPr (indents)
};

class Numbering {
public:
    // `part` may be null: a package without numbering.
    explicit Numbering(std::unique_ptr<XmlPart> part);

    // Advances the counters for a paragraph of list `numId` at `level` and gives its label;
    // nullopt for an unknown list or numId 0 (which switches a style's list off).
    std::optional<ListLabel> Next(std::string_view numId, int level);

private:
    struct Level {
        pugi::xml_node node;
        int start = 1;
        std::string format = "decimal";
        std::string text;
        std::string font; // of the bullet
        std::string suffix = "tab";
        int restartAfter = -1; // -1: any shallower level; 0: never
        bool legal = false;
    };
    struct Instance {
        std::string abstractId;
        std::map<int, int> startOverrides;
        std::map<int, pugi::xml_node> levelOverrides;
        bool used = false;
    };
    struct Counters {
        std::array<int, 9> value{};
        std::array<bool, 9> started{};
    };

    Level LevelOf(const Instance& instance, int level) const;
    std::string Format(int n, const Level& level, bool legal) const;

    std::unique_ptr<XmlPart> part_;
    std::map<std::string, pugi::xml_node, std::less<>> abstracts_;
    std::map<std::string, Instance, std::less<>> instances_;
    std::map<std::string, Counters, std::less<>> counters_; // by abstract numbering or instance
};

// The Unicode character a bullet in a symbol font stands for.
std::string UnicodeBullet(std::string_view text, std::string_view font);

} // namespace Readers::Docx
