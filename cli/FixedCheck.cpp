// SPDX-License-Identifier: MIT
#include "cli/FixedCheck.h"

#include "epub/fixed/Schema.h"
#include "host/render/Renderer.h"

#include <vector>

namespace Cli {
namespace {

constexpr size_t kExcerpt = 40;

struct Finding {
    std::string text;
    std::string message;
};

// Sees what the page render target would be handed, without writing a page.
class CheckTarget final : public Render::RenderTarget {
public:
    void DrawPolyPolygon(const Render::ShapeNode&, const Render::AffineTransform&) override {}
    void DrawBitmap(const Render::BitmapNode&, const Render::AffineTransform&) override {}
    void DrawGlyphMetrics(const Render::GlyphRunNode& run, const Render::AffineTransform&,
                          bool hidden) override {
        if (hidden)
            Add(run.text, "Text is rasterised with the artwork around it (kept as invisible text)");
        for (const Render::PositionedGlyph& glyph : run.glyphs)
            if (glyph.id == 0) {
                Add(run.text, "The font \"" + run.family.str() +
                                  "\" has no glyph for some of these characters");
                break;
            }
    }
    std::vector<Finding> TakeFindings() { return std::move(findings_); }

private:
    void Add(const std::string& text, std::string message) {
        // A paragraph set into lines is one finding, not one per line.
        if (!findings_.empty() && findings_.back().message == message) {
            findings_.back().text += " " + text;
            return;
        }
        findings_.push_back({text, std::move(message)});
    }
    std::vector<Finding> findings_;
};

// Cuts at a character boundary and keeps the line a line.
std::string Excerpt(const std::string& text) {
    std::string out;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool starts = (byte & 0xC0) != 0x80;
        if (starts && ++characters > kExcerpt) {
            out += "...";
            break;
        }
        if (byte < 0x20 || byte == 0x7F)
            out += ' ';
        else if (text[i] == '"' || text[i] == '\\')
            out += std::string("\\") + text[i];
        else
            out += text[i];
    }
    return out;
}

} // namespace

size_t CheckFixedDocument(const FixedDocument& doc, const std::string& sourceName,
                          std::ostream& out) {
    EPub::Schema schema(doc.options);
    size_t lines = 0;
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const FixedPage& page = doc.pages[i];
        CheckTarget target;
        Render::Renderer renderer(schema, target);
        renderer.Render(*page.root, {0, 0, page.width, page.height});
        for (const Finding& f : target.TakeFindings()) {
            out << sourceName << ": page " << i + 1 << ", text \"" << Excerpt(f.text)
                << "\": " << f.message << "\n";
            ++lines;
        }
    }
    return lines;
}

} // namespace Cli
