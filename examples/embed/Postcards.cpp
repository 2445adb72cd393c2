// SPDX-License-Identifier: MIT
#include "Postcards.h"

#include "epub/fixed/FixedLayoutExporter.h"
#include "epub/fixed/FixedTextSetter.h"

#include <iostream>
#include <string>
#include <vector>

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

namespace {

struct Postcard {
    std::string caption;
    std::string text;
    uint8_t red, green, blue; // the card's colour
};

const std::vector<Postcard> kPostcards = {
    {"The quay at dawn", "The ferry came in late, gulls following it the last mile.", 214, 232,
     245},
    {"Market square", "Fish, rope and paint; by noon the cats own the square.", 245, 226, 200},
};

constexpr double kWidth = 420; // points: a postcard in landscape
constexpr double kHeight = 300;

Counted<const Render::Node> Card(const Postcard& card) {
    auto shape = MakeCounted<Render::ShapeNode>();
    shape->path = Render::Path::Rectangle({0, 0, kWidth, kHeight});
    shape->fill =
        Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(card.red, card.green, card.blue));
    return shape;
}

EPub::StyledText Styled(const std::string& text, double size, int weight) {
    EPub::StyledText styled;
    styled.text = text;
    styled.font.family = "DejaVu Sans";
    styled.font.weight = weight;
    styled.size = size;
    styled.fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(20, 30, 40));
    styled.language = "en";
    return styled;
}

// One card: its colour, a caption set as one run, the text set into a column, and on every card
// but the last a link to the next card's caption.
bool BuildPage(EPub::TextSetter& setter, size_t index, EPub::FixedPage& page) {
    const Postcard& card = kPostcards[index];
    page.width = kWidth;
    page.height = kHeight;
    page.label = StringT(std::to_string(index + 1));
    page.spread = index % 2 == 0 ? EPub::PageSpread::Right : EPub::PageSpread::Left;
    page.root = MakeCounted<Render::GroupNode>();
    auto& children = page.root->children;
    children.push_back(Card(card));

    // The caption is a place links lead to: anchors are numbered through the publication.
    const auto anchorNumber = static_cast<uint32_t>(index + 1);
    auto anchor = MakeCounted<Render::HyperlinkNode>();
    anchor->rect = {30, 30, 30, 30};
    anchor->anchor = anchorNumber;
    children.push_back(anchor);
    page.anchors.push_back({anchorNumber, StringT("card-" + std::to_string(index + 1))});

    std::string error;
    auto caption = setter.SetRun(Styled(card.caption, 22, 700), 30, 60, error);
    if (!caption) {
        std::cerr << "harbour-notes: " << error << "\n";
        return false;
    }
    children.push_back(caption);
    EPub::Paragraph paragraph;
    paragraph.runs.push_back(Styled(card.text, 14, 400));
    if (!setter.SetFrame({paragraph}, {{30, 90, 390, 270}}, children, error,
                         static_cast<int32_t>(index))) {
        std::cerr << "harbour-notes: " << error << "\n";
        return false;
    }
    if (index + 1 < kPostcards.size()) {
        auto next = setter.SetRun(Styled("Next card", 12, 400), 320, 280, error);
        if (!next)
            return false;
        auto link = MakeCounted<Render::HyperlinkNode>();
        link->rect = {318, 266, 320 + next->advance + 2, 284};
        link->page = static_cast<uint32_t>(index + 2);
        link->anchor = anchorNumber + 1;
        children.push_back(next);
        children.push_back(link);
    }
    return true;
}

} // namespace

bool ExportPostcards(const std::filesystem::path& path) {
    auto settings = MakeCounted<EPub::ExportSettings>();
    settings->title = "Harbour Postcards";
    settings->author = "Ann Harbour";
    settings->language = "en";
    settings->identifier = "urn:uuid:0d5e9b3a-81c4-4f27-a6e2-93b7c4d1f058";
    auto options =
        MakeCounted<EPub::FileExportOptions>(Render::FileExportOptionsVector::Preset::Standard);
    options->SetPageDPI(96);
    options->SetCoverPage(EPub::FileExportOptions::CoverPage::DocumentPage);
    options->SetCoverPageNum(1);

    // Our own setter could stand here; the library's sets the text with HarfBuzz.
    const auto setter = EPub::MakeDefaultTextSetter();
    std::vector<EPub::FixedPage> pages(kPostcards.size());
    for (size_t i = 0; i < pages.size(); ++i)
        if (!BuildPage(*setter, i, pages[i]))
            return false;

    EPub::FixedLayoutExporter exporter(settings, options);
    if (!exporter.Start(StringT(path.string()))) {
        std::cerr << "harbour-notes: " << exporter.GetLastError().str() << "\n";
        return false;
    }
    // Every card's anchors before the first page: a link leads to the next card.
    for (size_t i = 0; i < pages.size(); ++i) {
        exporter.AddAnchors(static_cast<uint32_t>(i + 1), pages[i].anchors);
        exporter.AddTocEntry({StringT(kPostcards[i].caption), static_cast<uint32_t>(i + 1), 0});
    }
    for (const EPub::FixedPage& page : pages)
        if (!exporter.AddPage(page)) {
            std::cerr << "harbour-notes: " << exporter.GetLastError().str() << "\n";
            exporter.Abort();
            return false;
        }
    if (!exporter.End()) {
        std::cerr << "harbour-notes: cannot finish the postcards: " << exporter.GetLastError().str()
                  << "\n";
        return false;
    }
    return true;
}
