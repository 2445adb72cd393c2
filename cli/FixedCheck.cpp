// SPDX-License-Identifier: MIT
#include "cli/FixedCheck.h"

#include "epub/fixed/PageRenderTarget.h"
#include "epub/fixed/Schema.h"
#include "host/render/Renderer.h"

#include <algorithm>
#include <cmath>
#include <string_view>
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
    void DrawBitmap(const Render::BitmapNode& node, const Render::AffineTransform&) override {
        // Only rasterised artwork comes sized to the longest side a bitmap may have.
        if (!node.bitmap || std::max(node.bitmap->Width(), node.bitmap->Height()) !=
                                Render::Renderer::kMaxRasterSide)
            return;
        const double longest = std::max(node.rect.Width(), node.rect.Height());
        const auto dpi = static_cast<int>(72.0 * Render::Renderer::kMaxRasterSide / longest);
        findings_.push_back({"", "Artwork too long for a bitmap at the text resolution is "
                                 "rasterised at " +
                                     std::to_string(dpi) + " dpi"});
    }
    void DrawGlyphMetrics(const Render::GlyphRunNode& run, const Render::AffineTransform&,
                          bool hidden) override {
        if (hidden)
            Add(run.text, "Text is rasterised with the artwork around it (kept as invisible text)");
        for (const Render::PositionedGlyph& glyph : run.glyphs)
            if (glyph.id == 0) {
                Add(run.text, "No installed font has a glyph for some of these characters");
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

// Bytes of a line or paragraph separator other than the controls at `at` (U+0085 NEL, U+2028,
// U+2029), which many terminals and tools end a line at; 0 for anything else.
size_t LineBreakLength(std::string_view text, size_t at) {
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("\xC2\x85"))
        return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9"))
        return 3;
    return 0;
}

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
        if (const size_t length = LineBreakLength(text, i); length > 0) {
            out += ' ';
            i += length - 1;
        } else if (byte < 0x20 || byte == 0x7F)
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
    size_t read = 0;
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const FixedPage& page = doc.pages[i];
        CheckTarget target;
        // Artwork is rasterised at the text resolution capped by the page's size, as the export
        // does.
        const Foundation::RectT<double> rect{0, 0, page.width, page.height};
        const auto css = [&](double points) {
            return static_cast<int32_t>(std::lround(points * PageScale(doc)));
        };
        target.SetRasteriseScale(EPub::RenderTarget::CapRasterScale(
            doc.options->GetTextDPI() / 72.0, rect, {css(page.width), css(page.height)}));
        Render::Renderer renderer(schema, target);
        renderer.Render(*page.root, {0, 0, page.width, page.height});
        // The reader's findings come in page order.
        std::vector<Finding> findings;
        for (; read < doc.findings.size() && doc.findings[read].page == i + 1; ++read)
            findings.push_back({doc.findings[read].text, doc.findings[read].message});
        for (Finding& f : target.TakeFindings())
            findings.push_back(std::move(f));
        for (const Finding& f : findings) {
            out << sourceName << ": page " << i + 1;
            if (!f.text.empty())
                out << ", text \"" << Excerpt(f.text) << "\"";
            out << ": " << f.message << "\n";
            ++lines;
        }
    }
    return lines;
}

} // namespace Cli
