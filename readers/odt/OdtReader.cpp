// SPDX-License-Identifier: MIT
#include "readers/odt/OdtReader.h"

#include "epub/options/CSSFile.h"
#include "epub/options/PageSource.h"
#include "epub/package/NameRules.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/Uuid.h"
#include "host/text/AttributeIds.h"
#include "host/text/Language.h"
#include "host/text/TextDocument.h"
#include "readers/common/SafeXml.h"
#include "readers/odt/OdtBody.h"
#include "readers/odt/OdtMetadata.h"
#include "readers/odt/OdtSource.h"
#include "readers/odt/OdtStyles.h"

#include <algorithm>
#include <filesystem>

namespace Readers::Odt {

namespace {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

bool LooksLikeFont(std::string_view data) {
    return data.size() > 12 &&
           (data.substr(0, 4) == std::string_view("\0\1\0\0", 4) || data.substr(0, 4) == "OTTO" ||
            data.substr(0, 4) == "true" || data.substr(0, 4) == "wOFF");
}

Counted<Foundation::MemoryFontRegistry> ReadFonts(OdtSource& source) {
    Counted<Foundation::MemoryFontRegistry> registry;
    for (const std::string& part : source.FontFiles()) {
        std::string problem;
        auto data = source.ReadFile(part, problem);
        if (!data || !LooksLikeFont(*data)) {
            source.Findings().push_back({part, "an embedded font that cannot be read was skipped"});
            continue;
        }
        if (!registry)
            registry = MakeCounted<Foundation::MemoryFontRegistry>();
        const std::string file = part.substr(part.rfind('/') + 1);
        if (registry->Register(StringT(file), std::move(*data)) == 0)
            source.Findings().push_back({part, "an embedded font that cannot be read was skipped"});
    }
    return registry;
}

Counted<Text::TextDocument> MakeTextDocument(const std::string& language) {
    auto document = Text::TextDocument::Make();
    document->SetDefaults(document->GetDefaultGlyphAtts()->With(
                              Text::GlyphObject::Language,
                              Counted<const Text::AttObject>(Text::Language::Make(language))),
                          *document->GetDefaultParagraphAtts());
    return document;
}

Document Read(std::string_view bytes, const std::string& sourceName, const OdtOptions& options) {
    OdtSource source(bytes, sourceName, PackageLimits{options.maxInflatedBytes, options.maxRatio});
    Document doc;
    doc.sourceName = sourceName;
    // Styles and metadata come before the text, in the parts beside it or in the head of the
    // content; the reader starts at the first block of the text.
    OdtBody::Survey survey = OdtBody::Scan(source.Content());
    std::unique_ptr<OdtStyles> styles;
    std::unique_ptr<OdtBody> reader;
    OdtMetadata meta;
    std::string language;
    const auto start = [&] {
        styles = std::make_unique<OdtStyles>(source.Styles(), source.Head());
        meta = ReadMetadata(source.Meta());
        language = meta.language;
        if (!EPub::IsLanguageTag(language))
            language = styles->DefaultLanguage();
        if (!EPub::IsLanguageTag(language))
            language = "en";
        doc.styles = Text::StyleSheet::Make(MakeTextDocument(language));
        // The document's own language is that of its text, over the default style's.
        styles->AddTo(*doc.styles, EPub::IsLanguageTag(meta.language) ? meta.language : "");
        reader =
            std::make_unique<OdtBody>(source, *styles, doc.styles,
                                      BodyOptions{options.keepAnnotations, options.splitAtHeadings,
                                                  options.printPages, options.maxNesting});
        reader->Begin(std::move(survey), doc.stories);
    };
    BlockStream& content = source.Content();
    const bool hasText = content.ForEachBlock(
        {"body", "text"},
        [&](pugi::xml_node block) {
            if (!reader)
                start();
            reader->Visit(block);
        },
        [&](pugi::xml_node head) {
            if (!Is(head, "body"))
                source.KeepHead(head);
        });
    if (!hasText)
        FailAt(sourceName, content.Name(), "not an OpenDocument text (no office:body/office:text)");
    if (!reader)
        start();
    reader->Finish();
    doc.fonts = ReadFonts(source);
    if (reader->HasFloats())
        doc.cssFiles.push_back(MakeCounted<const EPub::CSSFile>(
            MakeCounted<Foundation::FileDataSource>(StringT("pictures.css")),
            Foundation::TimeStamp(), StringT(std::string(OdtBody::kFloatRules))));

    auto& s = *(doc.settings = MakeCounted<EPub::ExportSettings>());
    s.title = StringT(!meta.title.empty() ? meta.title : reader->FirstHeading());
    if (s.title.empty())
        s.title = StringT(std::filesystem::path(sourceName).stem().string());
    s.author = StringT(meta.author);
    s.subject = StringT(meta.subject.empty()    ? meta.keywords
                        : meta.keywords.empty() ? meta.subject
                                                : meta.subject + "; " + meta.keywords);
    s.description = StringT(meta.description);
    s.language = StringT(language);
    // "2024-03-01T10:20:30.123": the date part is what a publication date may carry.
    const std::string date = meta.created.substr(0, meta.created.find('T'));
    if (EPub::IsPublicationDate(date))
        s.date = StringT(date);
    s.identifier = StringT("urn:uuid:" + Foundation::Uuid::Generate().ToString().str());
    // The reader splits the text into stories itself; page breaks inside one are not splits.
    s.splitStories = false;
    s.documentResolution = MakeCounted<EPub::DocumentResolution>(72.0);
    s.styles = doc.styles;
    s.defaultGlyphAtts = doc.styles->GetDocument()->GetDefaultGlyphAtts();
    doc.options =
        MakeCounted<EPub::FlowingEPubOptions>(Render::FileExportOptionsVector::Preset::Standard);
    doc.options->SetRemoveLineBreaks(false);
    // The labels the document shows, as text.
    doc.options->SetConvertNumberedListsToText(true);
    if (reader->HasPages())
        EPub::SetPageSource(*doc.options, std::filesystem::path(sourceName).filename().string());
    if (!doc.stories.empty() && doc.stories.front().tocText.empty())
        doc.stories.front().tocText = s.title;
    doc.findings = std::move(source.Findings());
    return doc;
}

} // namespace

Document ReadOdt(std::string_view bytes, const std::string& sourceName, const OdtOptions& options) {
    return Read(bytes, sourceName, options);
}

Document ReadOdt(const std::filesystem::path& file, const OdtOptions& options) {
    return ReadOdtFile(file, file.string(), options);
}

Document ReadOdtFile(const std::filesystem::path& file, const std::string& sourceName,
                     const OdtOptions& options) {
    return ReadOdt(ReadInputFile(file, sourceName), sourceName, options);
}

} // namespace Readers::Odt
