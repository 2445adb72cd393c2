#include "cli/AnchorBook.h"

namespace Cli {

using Foundation::StringT;

AnchorBook::Entry& AnchorBook::Get(const std::string& name) {
    Entry& entry = entries_[name];
    if (!entry.anchor)
        entry.anchor = document_->MakeAnchor(StringT(name));
    return entry;
}

Foundation::Counted<Text::AnchorData> AnchorBook::Define(const JsonInput& input, const Node& node) {
    input.Expect(node, JsonValue::value_t::string, "an anchor name");
    const std::string name = node.value.get<std::string>();
    if (name.empty())
        input.Fail(node, "an anchor needs a name");
    Entry& entry = Get(name);
    if (entry.defined)
        input.Fail(node, "anchor \"" + name + "\" is defined twice");
    entry.defined = true;
    return entry.anchor;
}

Foundation::Counted<const Text::AnchorData> AnchorBook::Use(const JsonInput& input,
                                                            const Node& node) {
    input.Expect(node, JsonValue::value_t::string, "an anchor name");
    Entry& entry = Get(node.value.get<std::string>());
    if (entry.firstUse.empty())
        entry.firstUse = node.path;
    return entry.anchor;
}

Foundation::Counted<Text::AnchorData> AnchorBook::MakeHidden(const std::string& name) const {
    // Never entered in the book, so it cannot clash with a named anchor.
    return document_->MakeAnchor(StringT(name));
}

void AnchorBook::CheckAllDefined(const JsonInput& input) const {
    for (const auto& [name, entry] : entries_)
        if (!entry.defined)
            throw InputError(input.Source() + ": " + entry.firstUse + ": unknown anchor \"" + name +
                             "\"");
}

} // namespace Cli
