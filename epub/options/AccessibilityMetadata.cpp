// SPDX-License-Identifier: MIT
#include "epub/options/AccessibilityMetadata.h"

#include "epub/xml/TextEncoding.h"
#include "epub/xml/XmlWriter.h"
#include "host/foundation/EnumSerialiser.h"
#include "host/foundation/Serialiser.h"

#include <algorithm>
#include <array>
#include <numeric>

namespace EPub {

using Foundation::FourCC;
using Foundation::MakeCounted;

namespace {

constexpr uint32_t kFeaturesTag = FourCC("feat");
constexpr uint32_t kHazardsTag = FourCC("hazd");
constexpr uint32_t kAccessModesTag = FourCC("amod");
constexpr uint32_t kSufficientModesTag = FourCC("amds");
constexpr uint32_t kSummaryTag = FourCC("acsm");
constexpr uint32_t kConformanceTag = FourCC("cnfm");
constexpr uint32_t kDeriveConformanceTag = FourCC("cnfd");
constexpr uint32_t kCertifiedByTag = FourCC("cfby");
constexpr uint32_t kCredentialsTag = FourCC("cfcd");
constexpr uint32_t kReportLinkTag = FourCC("cfrl");

constexpr std::array<std::string_view, 11> kAccessModeTexts = {
    "auditory",        "chartOnVisual", "chemOnVisual",  "colorDependent",
    "diagramOnVisual", "mathOnVisual",  "musicOnVisual", "tactile",
    "textOnVisual",    "textual",       "visual"};

constexpr std::array<std::string_view, 4> kSufficientModeTexts = {"auditory", "tactile", "textual",
                                                                  "visual"};

constexpr std::array<std::string_view, 11> kHazardTexts = {"none",
                                                           "flashingHazard",
                                                           "noFlashingHazard",
                                                           "unknownFlashingHazard",
                                                           "motionSimulationHazard",
                                                           "noMotionSimulationHazard",
                                                           "unknownMotionSimulationHazard",
                                                           "soundHazard",
                                                           "noSoundHazard",
                                                           "unknownSoundHazard",
                                                           "unknown"};

constexpr std::array<std::string_view, 7> kConformanceTexts = {
    "",
    "EPUB Accessibility 1.1 - WCAG 2.0 Level A",
    "EPUB Accessibility 1.1 - WCAG 2.0 Level AA",
    "EPUB Accessibility 1.1 - WCAG 2.0 Level AAA",
    "EPUB Accessibility 1.1 - WCAG 2.1 Level A",
    "EPUB Accessibility 1.1 - WCAG 2.1 Level AA",
    "EPUB Accessibility 1.1 - WCAG 2.1 Level AAA"};

constexpr std::array<std::string_view, 41> kFeatureTexts = {"none",
                                                            "alternativeText",
                                                            "annotations",
                                                            "ARIA",
                                                            "audioDescription",
                                                            "braille",
                                                            "ChemML",
                                                            "closedCaptions",
                                                            "describedMaths",
                                                            "displayTransformability",
                                                            "fullRubyAnnotations",
                                                            "highContrastAudio",
                                                            "highContrastDisplay",
                                                            "horizontalWriting",
                                                            "index",
                                                            "largePrint",
                                                            "latex",
                                                            "latex-chemistry",
                                                            "longDescription",
                                                            "MathML",
                                                            "MathML-chemistry",
                                                            "openCaptions",
                                                            "pageBreakMarkers",
                                                            "pageNavigation",
                                                            "readingOrder",
                                                            "rubyAnnotations",
                                                            "signLanguage",
                                                            "structuralNavigation",
                                                            "synchronisedAudioText",
                                                            "tableOfContents",
                                                            "tactileGraphic",
                                                            "tactileObject",
                                                            "timingControl",
                                                            "transcript",
                                                            "ttsMarkup",
                                                            "unknown",
                                                            "unlocked",
                                                            "verticalWriting",
                                                            "withAdditionalWordSegmentation",
                                                            "WithoutAdditionalWordSegmentation",
                                                            "printPageNumbers"};

template <size_t N, class E>
std::string_view Lookup(const std::array<std::string_view, N>& table, E value) noexcept {
    const auto index = static_cast<int32_t>(value);
    return index >= 0 && static_cast<size_t>(index) < N ? table[static_cast<size_t>(index)]
                                                        : std::string_view();
}

// Accepts 0 to Count - 1: the vocabularies are dense.
template <int32_t Count> class DenseEnumSerialiser final : public Foundation::EnumSerialiser {
public:
    static const DenseEnumSerialiser& GetInstance() {
        static const DenseEnumSerialiser instance;
        return instance;
    }

private:
    DenseEnumSerialiser() {
        std::array<int32_t, Count> values;
        std::iota(values.begin(), values.end(), 0);
        RegisterEnumSet(values.data(), values.size());
    }
};

using FeatureEnumSerialiser = DenseEnumSerialiser<41>;
using HazardEnumSerialiser = DenseEnumSerialiser<11>;
// Also checks the sufficient access modes, so a stored sufficient value up to 10 loads (and
// describes as an empty text).
using AccessModeEnumSerialiser = DenseEnumSerialiser<11>;
using ConformanceEnumSerialiser = DenseEnumSerialiser<7>;

template <class E> void Toggle(std::set<E>& values, E value, bool on) {
    if (on)
        values.insert(value);
    else
        values.erase(value);
}

} // namespace

std::string_view GetVocabularyText(AccessMode value) noexcept {
    return Lookup(kAccessModeTexts, value);
}
std::string_view GetVocabularyText(AccessModeSufficient value) noexcept {
    return Lookup(kSufficientModeTexts, value);
}
std::string_view GetVocabularyText(AccessibilityHazard value) noexcept {
    return Lookup(kHazardTexts, value);
}
std::string_view GetVocabularyText(AccessibilityConformance value) noexcept {
    return Lookup(kConformanceTexts, value);
}
std::string_view GetVocabularyText(AccessibilityFeature value) noexcept {
    return Lookup(kFeatureTexts, value);
}

Counted<AccessibilityMetadata> AccessibilityMetadata::CreateObject() {
    return MakeCounted<AccessibilityMetadata>();
}

const ClassProperties& AccessibilityMetadata::GetTypeSharedClassProperties() {
    static const ClassProperties properties{
        FourCC("EAcM"),
        1,
        []() -> Counted<Foundation::Serialisable> { return CreateObject(); },
        nullptr,
        {}};
    return properties;
}

const ClassProperties& AccessibilityMetadata::GetObjectSharedClassProperties() const {
    return GetTypeSharedClassProperties();
}

namespace {
const Foundation::ClassRegistration
    registration(AccessibilityMetadata::GetTypeSharedClassProperties());
}

Counted<AccessibilityMetadata> AccessibilityMetadata::Clone() const {
    return MakeCounted<AccessibilityMetadata>(*this);
}

void AccessibilityMetadata::Set(AccessMode value, bool on) {
    Toggle(accessModes_, value, on);
}
void AccessibilityMetadata::Set(AccessModeSufficient value, bool on) {
    Toggle(sufficientModes_, value, on);
}
void AccessibilityMetadata::Set(AccessibilityFeature value, bool on) {
    Toggle(features_, value, on);
}
void AccessibilityMetadata::Set(AccessibilityHazard value, bool on) {
    Toggle(hazards_, value, on);
}

bool AccessibilityMetadata::IsAnyOf(const std::set<AccessibilityHazard>& hazards) const {
    return std::any_of(hazards.begin(), hazards.end(),
                       [this](AccessibilityHazard h) { return hazards_.contains(h); });
}

bool AccessibilityMetadata::IsFeatureEmptyOrNone() const {
    return features_.empty() || features_.contains(AccessibilityFeature::None);
}

bool AccessibilityMetadata::IsFeatureEmptyOrUnknown() const {
    return features_.empty() || features_.contains(AccessibilityFeature::Unknown);
}

bool AccessibilityMetadata::IsFeatureNoneOrUnknown() const {
    return features_.contains(AccessibilityFeature::None) ||
           features_.contains(AccessibilityFeature::Unknown);
}

bool AccessibilityMetadata::Matches(const AccessibilityMetadata& other) const {
    return features_ == other.features_ && hazards_ == other.hazards_ &&
           accessModes_ == other.accessModes_ && sufficientModes_ == other.sufficientModes_ &&
           conformance_ == other.conformance_ && deriveConformance_ == other.deriveConformance_ &&
           summary_ == other.summary_ && certifiedBy_ == other.certifiedBy_ &&
           credentials_ == other.credentials_ && reportLink_ == other.reportLink_;
}

void AccessibilityMetadata::Save(OutSerialiser& out) const {
    out.SaveEnumsI(kFeaturesTag, features_, FeatureEnumSerialiser::GetInstance());
    out.SaveEnumsI(kHazardsTag, hazards_, HazardEnumSerialiser::GetInstance());
    out.SaveEnumsI(kAccessModesTag, accessModes_, AccessModeEnumSerialiser::GetInstance());
    out.SaveEnumsI(kSufficientModesTag, sufficientModes_, AccessModeEnumSerialiser::GetInstance());
    out.SaveType(kSummaryTag, summary_);
    out.SaveEnumI(kConformanceTag, conformance_, ConformanceEnumSerialiser::GetInstance());
    out.SaveType(kDeriveConformanceTag, deriveConformance_);
    out.SaveType(kCertifiedByTag, certifiedBy_);
    out.SaveType(kCredentialsTag, credentials_);
    out.SaveType(kReportLinkTag, reportLink_);
}

bool AccessibilityMetadata::Load(const InSerialiser& in, FileStore&, uint32_t) {
    in.LoadEnumsI(kFeaturesTag, features_, FeatureEnumSerialiser::GetInstance());
    in.LoadEnumsI(kHazardsTag, hazards_, HazardEnumSerialiser::GetInstance());
    in.LoadEnumsI(kAccessModesTag, accessModes_, AccessModeEnumSerialiser::GetInstance());
    in.LoadEnumsI(kSufficientModesTag, sufficientModes_, AccessModeEnumSerialiser::GetInstance());
    in.LoadType(kSummaryTag, summary_);
    in.LoadEnumI(kConformanceTag, conformance_, ConformanceEnumSerialiser::GetInstance());
    in.LoadType(kDeriveConformanceTag, deriveConformance_);
    in.LoadType(kCertifiedByTag, certifiedBy_);
    in.LoadType(kCredentialsTag, credentials_);
    in.LoadType(kReportLinkTag, reportLink_);
    return true;
}

bool AccessibilityMetadata::Describe(std::string_view indent, OutStream& out) const {
    XmlWriter x;
    auto meta = [&](std::string_view property, std::string_view value) {
        if (BlankText(value))
            return;
        x.Space(indent).Open("meta").Attribute("property", property).Close().Text(value);
        x.End("meta").Space("\n");
    };

    if (conformance_ != AccessibilityConformance::None) {
        meta("dcterms:conformsTo", GetVocabularyText(conformance_));
        meta("a11y:certifiedBy", certifiedBy_.view());
        meta("a11y:certifierCredential", credentials_.view());
        if (!BlankText(reportLink_.view())) {
            x.Space(indent).Open("link").Attribute("rel", "a11y:certifierReport");
            x.Attribute("href", reportLink_).CloseEmpty(true).Space("\n");
        }
    }
    for (const AccessibilityFeature value : features_)
        meta("schema:accessibilityFeature", GetVocabularyText(value));
    for (const AccessibilityHazard value : hazards_)
        meta("schema:accessibilityHazard", GetVocabularyText(value));
    for (const AccessMode value : accessModes_)
        meta("schema:accessMode", GetVocabularyText(value));
    for (const AccessModeSufficient value : sufficientModes_)
        meta("schema:accessModeSufficient", GetVocabularyText(value));
    meta("schema:accessibilitySummary", summary_.view());
    return x.Empty() || out.Write(x.View());
}

} // namespace EPub
