// SPDX-License-Identifier: MIT
#pragma once
// Lists: the levels of list styles (number formats, prefixes and suffixes, bullets, shown parent
// levels, start values, indents) and the counters that run through the document, continued
// across text:list elements as the document asks, so each item gets the label the author saw.

#include "host/text/AttributeSet.h"
#include "host/text/ListAtt.h"
#include "readers/odt/OdtStyles.h"

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace Readers::Odt {

struct ListLabel {
    Text::ListSettings settings; // type, level, format, prefix, suffix, bullet
    int number = 0;              // of this level
    std::string text;            // the whole label
    Text::AttributeSet indents;  // the level's paragraph indents
};

class OdtLists {
public:
    static constexpr int kLevels = 10;

    explicit OdtLists(const OdtStyles& styles) : styles_(styles) {}

    // A top-level text:list starts: new counters, or those of the list it continues.
    void StartList(pugi::xml_node list, const std::string& style);
    // The label of an item's first paragraph at `level` (1-based) of the current list; nullopt
    // for a list style without labels. `start`: the item's own text:start-value.
    std::optional<ListLabel> Next(const std::string& style, int level, std::optional<int> start);
    // The label of a heading at `level`, numbered by the outline style; nullopt when the level
    // shows no number.
    std::optional<ListLabel> NextHeading(int level, std::optional<int> start);
    // The indents of a paragraph at `level` of `style` that has no label (a list header, an
    // item's later paragraphs).
    Text::AttributeSet Indents(const std::string& style, int level) const;

private:
    struct Counters {
        std::array<int, kLevels + 1> value{};
        std::array<bool, kLevels + 1> started{};
    };
    struct Level {
        Text::ListType type = Text::ListType::None;
        Text::NumberFormat format = Text::NumberFormat::Decimal;
        std::string prefix, suffix, bullet, separator = "\t";
        int displayLevels = 1;
        int start = 1;
        Text::AttributeSet indents;
    };

    // The outline style's name here: no list style has an empty name with this character.
    static constexpr std::string_view kOutline = "\x01outline";

    Level LevelOf(const std::string& style, int level) const;
    std::optional<ListLabel> Count(const std::string& style, Counters& counters, int level,
                                   std::optional<int> start);

    const OdtStyles& styles_;
    std::shared_ptr<Counters> current_;
    Counters outline_;
    std::map<std::string, std::shared_ptr<Counters>, std::less<>> byId_;
    std::map<std::string, std::shared_ptr<Counters>, std::less<>> lastOfStyle_;
    std::shared_ptr<Counters> last_;
};

} // namespace Readers::Odt
