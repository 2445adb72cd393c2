// SPDX-License-Identifier: MIT
#include "cli/AccessibilityReader.h"

#include "epub/package/NameRules.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>

namespace Cli {

using EPub::FoldCase;
using EPub::IsAbsoluteUrl;
namespace {

using Foundation::Counted;
using Foundation::StringT;

// Vocabulary values are written as the metadata spells them ("alternativeText", "ARIA").
template <class Enum>
void ReadTerms(const JsonInput& in, const Node& node, const std::string& key, size_t count,
               EPub::AccessibilityMetadata& metadata) {
    if (!node.Has(key))
        return;
    const Node list = node.Field(key);
    in.ExpectArray(list);
    for (size_t i = 0; i < list.value.size(); ++i) {
        const Node item = list.Item(i);
        in.Expect(item, JsonValue::value_t::string, "a vocabulary term");
        const std::string term = item.value.get<std::string>();
        size_t value = 0;
        while (value < count && EPub::GetVocabularyText(static_cast<Enum>(value)) != term)
            ++value;
        if (value == count)
            in.Fail(item, "unknown term \"" + term + "\"");
        metadata.Set(static_cast<Enum>(value), true);
    }
}

} // namespace

Counted<EPub::AccessibilityMetadata> ReadAccessibility(const JsonInput& in, const Node& node) {
    in.CheckFields(node, {"accessModes", "accessModesSufficient", "features", "hazards", "summary",
                          "conformance", "certifiedBy", "credentials", "reportLink"});
    auto metadata = Foundation::MakeCounted<EPub::AccessibilityMetadata>();
    ReadTerms<EPub::AccessMode>(in, node, "accessModes", 11, *metadata);
    ReadTerms<EPub::AccessModeSufficient>(in, node, "accessModesSufficient", 4, *metadata);
    ReadTerms<EPub::AccessibilityFeature>(in, node, "features", 41, *metadata);
    ReadTerms<EPub::AccessibilityHazard>(in, node, "hazards", 11, *metadata);
    metadata->SetSummary(StringT(in.String(node, "summary")));
    metadata->SetCertifiedBy(StringT(in.String(node, "certifiedBy")));
    metadata->SetCredentials(StringT(in.String(node, "credentials")));
    // The report cannot be part of the publication: the link must lead to the web (checkers
    // take any other link for a resource the package lacks).
    const std::string report = in.String(node, "reportLink");
    const std::string scheme = FoldCase(report.substr(0, report.find(':') + 1));
    if (!report.empty() && (!IsAbsoluteUrl(report) || (scheme != "http:" && scheme != "https:")))
        in.Fail(node.Field("reportLink"), "\"" + report +
                                              "\" is not an absolute http or https URL (such as "
                                              "https://example.org/report)");
    metadata->SetReportLink(StringT(report));
    if (node.Has("conformance")) {
        static constexpr std::string_view levels[] = {
            "none", "WCAG20A", "WCAG20AA", "WCAG20AAA", "WCAG21A", "WCAG21AA", "WCAG21AAA"};
        const std::string level = in.String(node, "conformance");
        if (level == "derive") {
            metadata->SetConformanceDerived(true);
            return metadata;
        }
        const auto* found = std::find(std::begin(levels), std::end(levels), level);
        if (found == std::end(levels))
            in.Fail(node.Field("conformance"),
                    "unknown level \"" + level + "\" (WCAG20A ... WCAG21AAA, derive or none)");
        metadata->SetConformance(
            static_cast<EPub::AccessibilityConformance>(found - std::begin(levels)));
    }
    return metadata;
}

} // namespace Cli
