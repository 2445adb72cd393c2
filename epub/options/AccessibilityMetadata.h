// SPDX-License-Identifier: MIT
#pragma once
// The EPUB Accessibility 1.1 metadata of a publication, described into the package document.

#include "host/foundation/ClassRegistry.h"
#include "host/foundation/Serialisable.h"
#include "host/foundation/Stream.h"
#include "host/foundation/StringT.h"

#include <cstdint>
#include <set>
#include <string_view>

namespace EPub {

using Foundation::ClassProperties;
using Foundation::Counted;
using Foundation::FileStore;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::OutStream;
using Foundation::StringT;

enum class AccessMode : int32_t {
    Auditory,
    ChartOnVisual,
    ChemOnVisual,
    ColorDependent,
    DiagramOnVisual,
    MathOnVisual,
    MusicOnVisual,
    Tactile,
    TextOnVisual,
    Textual,
    Visual,
};

enum class AccessModeSufficient : int32_t {
    Auditory,
    Tactile,
    Textual,
    Visual,
};

enum class AccessibilityHazard : int32_t {
    None,
    FlashingHazard,
    NoFlashingHazard,
    UnknownFlashingHazard,
    MotionSimulationHazard,
    NoMotionSimulationHazard,
    UnknownMotionSimulationHazard,
    SoundHazard,
    NoSoundHazard,
    UnknownSoundHazard,
    Unknown,
};

enum class AccessibilityConformance : int32_t {
    None,
    WCAG20A,
    WCAG20AA,
    WCAG20AAA,
    WCAG21A,
    WCAG21AA,
    WCAG21AAA,
};

enum class AccessibilityFeature : int32_t {
    None,
    AlternativeText,
    Annotations,
    ARIA,
    AudioDescription,
    Braille,
    ChemML,
    ClosedCaptions,
    DescribedMaths,
    DisplayTransformability,
    FullRubyAnnotations,
    HighContrastAudio,
    HighContrastDisplay,
    HorizontalWriting,
    Index,
    LargePrint,
    Latex,
    LatexChemistry,
    LongDescription,
    MathML,
    MathMLChemistry,
    OpenCaptions,
    PageBreakMarkers,
    PageNavigation,
    ReadingOrder,
    RubyAnnotations,
    SignLanguage,
    StructuralNavigation,
    SynchronisedAudioText,
    TableOfContents,
    TactileGraphic,
    TactileObject,
    TimingControl,
    Transcript,
    TTSMarkup,
    Unknown,
    Unlocked,
    VerticalWriting,
    WithAdditionalWordSegmentation,
    WithoutAdditionalWordSegmentation,
    // Added after the first 40 terms, so stored values keep their meaning.
    PrintPageNumbers,
};

// The vocabulary texts written into the package document; empty for a value outside the
// vocabulary (and for conformance None, which writes nothing).
std::string_view GetVocabularyText(AccessMode value) noexcept;
std::string_view GetVocabularyText(AccessModeSufficient value) noexcept;
std::string_view GetVocabularyText(AccessibilityHazard value) noexcept;
std::string_view GetVocabularyText(AccessibilityConformance value) noexcept;
std::string_view GetVocabularyText(AccessibilityFeature value) noexcept;

class AccessibilityMetadata final : public Foundation::Serialisable {
public:
    AccessibilityMetadata() = default;
    AccessibilityMetadata(const AccessibilityMetadata&) = default;
    AccessibilityMetadata& operator=(const AccessibilityMetadata&) = default;

    static Counted<AccessibilityMetadata> CreateObject();
    static const ClassProperties& GetTypeSharedClassProperties();
    Counted<AccessibilityMetadata> Clone() const;

    void Set(AccessMode value, bool on);
    void Set(AccessModeSufficient value, bool on);
    void Set(AccessibilityFeature value, bool on);
    void Set(AccessibilityHazard value, bool on);
    bool IsSet(AccessMode value) const { return accessModes_.contains(value); }
    bool IsSet(AccessModeSufficient value) const { return sufficientModes_.contains(value); }
    bool IsSet(AccessibilityFeature value) const { return features_.contains(value); }
    bool IsSet(AccessibilityHazard value) const { return hazards_.contains(value); }

    const std::set<AccessibilityFeature>& GetFeatures() const noexcept { return features_; }
    const std::set<AccessibilityHazard>& GetHazards() const noexcept { return hazards_; }
    const std::set<AccessMode>& GetAccessModes() const noexcept { return accessModes_; }
    const std::set<AccessModeSufficient>& GetAccessModesSufficient() const noexcept {
        return sufficientModes_;
    }

    bool IsAnyAccessModeSet() const noexcept { return !accessModes_.empty(); }
    bool IsAnyAccessModeSufficientSet() const noexcept { return !sufficientModes_.empty(); }
    bool IsHazardEmpty() const noexcept { return hazards_.empty(); }
    // Any of `hazards` is set; false for an empty argument.
    bool IsAnyOf(const std::set<AccessibilityHazard>& hazards) const;
    bool IsFeatureEmptyOrNone() const;
    bool IsFeatureEmptyOrUnknown() const;
    bool IsFeatureNoneOrUnknown() const;

    StringT GetSummary() const { return summary_; }
    void SetSummary(StringT text) { summary_ = std::move(text); }
    StringT GetCertifiedBy() const { return certifiedBy_; }
    void SetCertifiedBy(StringT text) { certifiedBy_ = std::move(text); }
    StringT GetCredentials() const { return credentials_; }
    void SetCredentials(StringT text) { credentials_ = std::move(text); }
    StringT GetReportLink() const { return reportLink_; }
    void SetReportLink(StringT link) { reportLink_ = std::move(link); }
    AccessibilityConformance GetConformance() const noexcept { return conformance_; }
    void SetConformance(AccessibilityConformance value) noexcept { conformance_ = value; }
    // Leaves the conformance claim to the exporter: WCAG 2.1 AA when its automatic checks find
    // nothing against it, no claim otherwise. Off, a conformance of None claims nothing.
    bool IsConformanceDerived() const noexcept { return deriveConformance_; }
    void SetConformanceDerived(bool on) noexcept { deriveConformance_ = on; }

    bool Matches(const AccessibilityMetadata& other) const;

    void Save(OutSerialiser& out) const override;
    bool Load(const InSerialiser& in, FileStore& store, uint32_t version) override;
    const ClassProperties& GetObjectSharedClassProperties() const override;

    // Writes the package-document metadata lines, each after `indent`; false when the stream
    // failed. Certification is written only with a conformance claim: it certifies that claim.
    bool Describe(std::string_view indent, OutStream& out) const;

private:
    std::set<AccessibilityFeature> features_;
    std::set<AccessibilityHazard> hazards_;
    std::set<AccessMode> accessModes_;
    std::set<AccessModeSufficient> sufficientModes_;
    StringT summary_;
    AccessibilityConformance conformance_ = AccessibilityConformance::None;
    bool deriveConformance_ = false;
    StringT certifiedBy_;
    StringT credentials_;
    StringT reportLink_;
};

} // namespace EPub
