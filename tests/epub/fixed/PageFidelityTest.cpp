// SPDX-License-Identifier: MIT
// Each page of the fixed-layout examples, drawn by the renderer with cairo, against the exported
// page document rendered by headless Chromium at the same size: the whole page by blurred pixel
// difference, and every glyph run by where its ink lands, drawn alone in black on both sides.

#include "cli/FixedDocumentReader.h"
#include "cli/FixedExport.h"
#include "epub/package/FontObfuscation.h"
#include "host/foundation/FileStream.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"
#include "host/render/BitmapRenderTarget.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// Colour difference (largest channel, 0..255) that counts a pixel as different.
constexpr int kTolerance = 48;
constexpr double kMaxDifferentShare = 0.02;

// Largest displacement of a glyph run, in pixels along either axis, and how far we look for it.
constexpr double kMaxGlyphShift = 1.0;
constexpr int kSearch = 6;

std::string ReadBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool HaveChromium() {
    return std::system("command -v chromium >/dev/null 2>&1") == 0;
}

// A 3 × 3 box blur, edges clamped: absorbs the one-pixel anti-aliasing differences between
// two rasterisers.
Foundation::Counted<Raster::DynamicBitmap> Blur(const Raster::DynamicBitmap& in) {
    const int w = int(in.Width()), h = int(in.Height());
    auto out = Raster::DynamicBitmap::Create(in.Width(), in.Height());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int yy = std::clamp(y + dy, 0, h - 1),
                                  xx = std::clamp(x + dx, 0, w - 1);
                        sum += in.Row(uint32_t(yy))[xx * 4 + c];
                    }
                out->Row(uint32_t(y))[x * 4 + c] = uint8_t(sum / 9);
                out->Row(uint32_t(y))[x * 4 + 3] = 255;
            }
    return out;
}

// Flattens onto white: the reference may hold transparent pixels where nothing was drawn.
void OnWhite(Raster::DynamicBitmap& b) {
    for (uint32_t y = 0; y < b.Height(); ++y) {
        uint8_t* p = b.Row(y);
        for (uint32_t x = 0; x < b.Width(); ++x, p += 4) {
            const int a = p[3];
            for (int c = 0; c < 3; ++c)
                p[c] = uint8_t((p[c] * a + 255 * (255 - a)) / 255);
            p[3] = 255;
        }
    }
}

struct Comparison {
    double share = 1;
    Foundation::Counted<Raster::DynamicBitmap> difference;
};

Comparison Compare(const Raster::DynamicBitmap& a, const Raster::DynamicBitmap& b) {
    Comparison result;
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return result;
    const auto ba = Blur(a), bb = Blur(b);
    result.difference = Raster::DynamicBitmap::Create(a.Width(), a.Height());
    size_t different = 0;
    for (uint32_t y = 0; y < a.Height(); ++y)
        for (uint32_t x = 0; x < a.Width(); ++x) {
            int diff = 0;
            for (int c = 0; c < 3; ++c)
                diff = std::max(diff, std::abs(ba->Row(y)[x * 4 + c] - bb->Row(y)[x * 4 + c]));
            uint8_t* d = result.difference->Row(y) + x * 4;
            const bool off = diff > kTolerance;
            different += off;
            d[0] = off ? 255 : uint8_t(a.Row(y)[x * 4] / 3 + 170);
            d[1] = d[2] = off ? 0 : d[0];
            d[3] = 255;
        }
    result.share = double(different) / (double(a.Width()) * a.Height());
    return result;
}

void WritePng(const Raster::DynamicBitmap& b, const fs::path& path) {
    auto out = Foundation::FileOutStream::Create(Foundation::StringT(path.string()));
    if (out)
        Raster::WritePNG(b, *out);
}

// The page's glyph runs alone, each in black at full opacity under its full transform; hidden
// layers are left out, as the page hides them too.
struct GlyphPage {
    Foundation::Counted<Render::GroupNode> root = Foundation::MakeCounted<Render::GroupNode>();
    std::vector<Foundation::RectT<double>> bounds; // document units
    std::vector<std::string> texts;
};

void CollectGlyphs(const Render::Node& node, const Render::AffineTransform& parent,
                   GlyphPage& out) {
    const Render::AffineTransform world = parent * node.transform;
    if (node.Kind() == Render::NodeKind::Group) {
        const auto& group = static_cast<const Render::GroupNode&>(node);
        if (group.hidden)
            return;
        for (const auto& child : group.children)
            CollectGlyphs(*child, world, out);
        return;
    }
    if (node.Kind() != Render::NodeKind::GlyphRun)
        return;
    auto run = Foundation::MakeCounted<Render::GlyphRunNode>(
        static_cast<const Render::GlyphRunNode&>(node));
    run->transform = world;
    run->fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(0, 0, 0));
    run->stroke = nullptr;
    run->opacity = 1;
    run->blend = Render::BlendMode::Normal;
    out.bounds.push_back(Render::NodeBounds(*run, {}));
    out.texts.push_back(run->text);
    out.root->children.push_back(run);
}

// The page document with everything but its text hidden and the text in black: hidden text under
// rasterised artwork shows too, so its placement is checked as well.
void WriteGlyphOnlyPage(const fs::path& page, const fs::path& copy) {
    std::string xhtml = ReadBytes(page);
    const auto head = xhtml.find("</head>");
    ASSERT_NE(head, std::string::npos) << page;
    xhtml.insert(head, "<style>* { visibility: hidden !important; opacity: 1 !important; "
                       "background: none !important; } html, body { background: #fff "
                       "!important; } span { visibility: visible !important; color: #000 "
                       "!important; }</style>");
    std::ofstream(copy, std::ios::binary) << xhtml;
}

// The box around the ink on a page (pixels darker than mid-grey), or nothing.
std::optional<Foundation::RectT<int>> InkExtent(const Raster::DynamicBitmap& b) {
    Foundation::RectT<int> box{int(b.Width()), int(b.Height()), -1, -1};
    for (uint32_t y = 0; y < b.Height(); ++y)
        for (uint32_t x = 0; x < b.Width(); ++x) {
            const uint8_t* p = b.Row(y) + x * 4;
            if (p[0] + p[1] + p[2] < 3 * 128)
                box = {std::min(box.left, int(x)), std::min(box.top, int(y)),
                       std::max(box.right, int(x)), std::max(box.bottom, int(y))};
        }
    if (box.right < 0)
        return std::nullopt;
    return box;
}

double Darkness(const Raster::DynamicBitmap& b, int x, int y) {
    if (x < 0 || y < 0 || x >= int(b.Width()) || y >= int(b.Height()))
        return 0;
    const uint8_t* p = b.Row(uint32_t(y)) + x * 4;
    return 255 - (p[0] + p[1] + p[2]) / 3.0;
}

// Where `moved` has the ink that `reference` has inside `area` (pixels): the shift minimising the
// squared difference, refined below a pixel by a parabola through the neighbouring costs.
std::optional<std::pair<double, double>> InkShift(const Raster::DynamicBitmap& reference,
                                                  const Raster::DynamicBitmap& moved,
                                                  const Foundation::RectT<int>& area) {
    double ink = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            ink += Darkness(reference, x, y);
    if (ink < 255 * 4) // a space, or a run too small to place
        return std::nullopt;
    constexpr int n = 2 * kSearch + 1;
    std::array<std::array<double, n>, n> cost{};
    for (int dy = -kSearch; dy <= kSearch; ++dy)
        for (int dx = -kSearch; dx <= kSearch; ++dx) {
            double sum = 0;
            for (int y = area.top; y < area.bottom; ++y)
                for (int x = area.left; x < area.right; ++x) {
                    const double d = Darkness(reference, x, y) - Darkness(moved, x + dx, y + dy);
                    sum += d * d;
                }
            cost[size_t(dy + kSearch)][size_t(dx + kSearch)] = sum;
        }
    size_t bx = kSearch, by = kSearch;
    for (size_t y = 0; y < n; ++y)
        for (size_t x = 0; x < n; ++x)
            if (cost[y][x] < cost[by][bx])
                std::tie(by, bx) = std::make_pair(y, x);
    auto refine = [](double before, double at, double after) {
        const double curve = before - 2 * at + after;
        return curve > 0 ? 0.5 * (before - after) / curve : 0.0;
    };
    double sx = double(bx) - kSearch, sy = double(by) - kSearch;
    if (bx > 0 && bx + 1 < n)
        sx += refine(cost[by][bx - 1], cost[by][bx], cost[by][bx + 1]);
    if (by > 0 && by + 1 < n)
        sy += refine(cost[by - 1][bx], cost[by][bx], cost[by + 1][bx]);
    return std::make_pair(sx, sy);
}

std::string Screenshot(const fs::path& dir, const fs::path& page, uint32_t w, uint32_t h,
                       const fs::path& shot) {
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--hide-scrollbars --force-device-scale-factor=1 --user-data-dir='" +
        (dir / "profile").string() + "' --screenshot='" + shot.string() +
        "' --window-size=" + std::to_string(w) + "," + std::to_string(h) + " 'file://" +
        page.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? std::string() : command;
}

Cli::FixedDocument ReadExample(const char* document) {
    return Cli::ReadFixedDocument(fs::path(EPUB_SOURCE_DIR) / (std::string(document) + ".json"));
}

// The book exported into `dir` and unzipped there, its fonts readable by a browser.
fs::path ExportAndUnpack(const Cli::FixedDocument& doc, const fs::path& dir) {
    const fs::path epub = dir / "book.epub";
    Cli::ExportFixedEPub(doc, epub);
    const fs::path unpacked = dir / "book";
    EXPECT_EQ(
        std::system(("unzip -q -o '" + epub.string() + "' -d '" + unpacked.string() + "'").c_str()),
        0);
    // Reading systems undo the font obfuscation; a browser needs it undone beforehand.
    Foundation::StringT identifier = doc.settings->identifier;
    const auto key = EPub::MakeFontKey(identifier.view());
    for (const auto& font : fs::directory_iterator(unpacked / "OEBPS" / "font")) {
        std::string bytes = ReadBytes(font.path());
        EPub::ObfuscateFont({reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()}, key);
        std::ofstream(font.path(), std::ios::binary) << bytes;
    }
    return unpacked;
}

fs::path MakeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "epubfidelity-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

struct FidelityCase {
    const char* path;
    double maxDifferentShare = kMaxDifferentShare;
    double maxGlyphShift = kMaxGlyphShift;
};

std::ostream& operator<<(std::ostream& out, const FidelityCase& c) {
    return out << c.path;
}

class PageFidelity : public testing::TestWithParam<FidelityCase> {};

TEST_P(PageFidelity, ExportedPagesLookLikeTheirDrawing) {
    if (!HaveChromium())
        GTEST_SKIP() << "chromium is not installed";
    const fs::path dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    const char* const document = GetParam().path;
    const Cli::FixedDocument doc = ReadExample(document);
    const fs::path unpacked = ExportAndUnpack(doc, dir);
    const double scale = Cli::PageScale(doc);
    bool allGood = true;
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const auto& page = doc.pages[i];
        const auto w = uint32_t(std::lround(page.width * scale));
        const auto h = uint32_t(std::lround(page.height * scale));
        Render::BitmapRenderTarget target(w, h, scale);
        target.DrawTree(*page.root);
        auto reference = target.GetBitmap();
        const std::string name = "page" + std::to_string(i + 1);
        const fs::path xhtml = unpacked / "OEBPS" / (name + ".xhtml");
        const fs::path shot = dir / (name + "-chromium.png");
        ASSERT_EQ(Screenshot(dir, xhtml, w, h, shot), "");
        auto rendered = Raster::DecodeImage(ReadBytes(shot));
        ASSERT_TRUE(rendered) << shot;
        OnWhite(*reference);
        OnWhite(*rendered);
        const Comparison c = Compare(*reference, *rendered);
        std::cout << document << " page " << i + 1 << ": " << c.share * 100
                  << " % of pixels differ\n";
        RecordProperty(std::string(document) + "_page" + std::to_string(i + 1),
                       std::to_string(c.share * 100));
        if (c.share > GetParam().maxDifferentShare) {
            allGood = false;
            WritePng(*reference, dir / ("page" + std::to_string(i + 1) + "-reference.png"));
            if (c.difference)
                WritePng(*c.difference, dir / ("page" + std::to_string(i + 1) + "-difference.png"));
            ADD_FAILURE() << document << " page " << i + 1 << ": " << c.share * 100
                          << " % of pixels differ; images kept in " << dir;
        }

        // Glyph runs: each one's ink must land within a pixel of where the drawing puts it.
        GlyphPage glyphs;
        CollectGlyphs(*page.root, {}, glyphs);
        if (glyphs.bounds.empty())
            continue;
        Render::BitmapRenderTarget textTarget(w, h, scale);
        textTarget.DrawTree(*glyphs.root);
        auto textReference = textTarget.GetBitmap();
        OnWhite(*textReference);
        const fs::path textPage = unpacked / "OEBPS" / (name + "-glyphs.xhtml");
        WriteGlyphOnlyPage(xhtml, textPage);
        const fs::path textShot = dir / (name + "-glyphs-chromium.png");
        ASSERT_EQ(Screenshot(dir, textPage, w, h, textShot), "");
        auto textRendered = Raster::DecodeImage(ReadBytes(textShot));
        ASSERT_TRUE(textRendered) << textShot;
        OnWhite(*textRendered);
        // No line reaches further out than the drawing sets it: justified lines end at their
        // frame's edge in the reading system too, and vertical lines at its foot.
        const auto drawn = InkExtent(*textReference), shown = InkExtent(*textRendered);
        if (drawn && shown &&
            (shown->left < drawn->left - 1 || shown->right > drawn->right + 1 ||
             shown->top < drawn->top - 1 || shown->bottom > drawn->bottom + 1)) {
            allGood = false;
            ADD_FAILURE() << document << " page " << i + 1 << ": text ink spans (" << shown->left
                          << ", " << shown->top << ") to (" << shown->right << ", " << shown->bottom
                          << ") px, drawn (" << drawn->left << ", " << drawn->top << ") to ("
                          << drawn->right << ", " << drawn->bottom << ")";
        }
        double worst = 0;
        for (size_t r = 0; r < glyphs.bounds.size(); ++r) {
            const auto& b = glyphs.bounds[r];
            const Foundation::RectT<int> area{
                int(std::floor(b.left * scale)) - 2, int(std::floor(b.top * scale)) - 2,
                int(std::ceil(b.right * scale)) + 2, int(std::ceil(b.bottom * scale)) + 2};
            const auto shift = InkShift(*textReference, *textRendered, area);
            if (!shift)
                continue;
            const double off = std::max(std::abs(shift->first), std::abs(shift->second));
            worst = std::max(worst, off);
            if (off > GetParam().maxGlyphShift) {
                allGood = false;
                WritePng(*textReference, dir / (name + "-glyphs-reference.png"));
                ADD_FAILURE() << document << " page " << i + 1 << ": glyph run \""
                              << glyphs.texts[r] << "\" is displaced by (" << shift->first << ", "
                              << shift->second << ") px; images kept in " << dir;
            }
        }
        std::cout << document << " page " << i + 1 << ": glyph runs displaced by at most " << worst
                  << " px\n";
    }
    if (allGood)
        fs::remove_all(dir);
}

// Paths from the source folder; then right-to-left pages (a comic with a two-page spread, text
// mixed with Latin and numbers), hyphenated justified columns, and vertical lines with Latin on
// its side and numbers across, colour washes blended over a picture and text, Latin,
// ideographs and emoji in runs whose font has Latin alone, and a story through two pages'
// frames, wrapped around a picture and balanced where it ends, text on both sides of a picture
// and on one side of a shape's outline, and a story in vertical lines, the last six held
// closer: plain text on a plain ground leaves little to blur.
// Chromium rounds the length of text on its side up to a whole pixel, so what follows it in the
// line may land a pixel lower.
INSTANTIATE_TEST_SUITE_P(
    Examples, PageFidelity,
    testing::Values(FidelityCase{"examples/picturebook"}, FidelityCase{"examples/magazine"},
                    FidelityCase{"examples/manga"}, FidelityCase{"tests/epub/fixed/bidi"},
                    FidelityCase{"tests/epub/fixed/hyphenation"},
                    FidelityCase{"tests/epub/fixed/vertical", 0.005},
                    FidelityCase{"tests/epub/fixed/blend", 0.005},
                    FidelityCase{"tests/epub/fixed/fallback", 0.005, 1.2},
                    FidelityCase{"tests/epub/fixed/story", 0.005},
                    FidelityCase{"tests/epub/fixed/wrap", 0.005},
                    FidelityCase{"tests/epub/fixed/vstory", 0.005},
                    FidelityCase{"examples/multilingual", kMaxDifferentShare, 1.1}));

// What a reader copies from a page: the whole page selected in Chromium, as the selection's text.
std::string CopiedText(const fs::path& dir, const fs::path& page) {
    std::string xhtml = ReadBytes(page);
    xhtml.insert(xhtml.rfind("</body>"),
                 "<script>window.getSelection().selectAllChildren(document.body);"
                 "document.body.setAttribute('data-copied', window.getSelection().toString());"
                 "</script>");
    const fs::path copy = page.parent_path() / ("copied-" + page.filename().string());
    std::ofstream(copy, std::ios::binary) << xhtml;
    const fs::path dom = dir / "dom.html";
    const std::string command =
        "chromium --headless --no-sandbox --disable-gpu --no-first-run "
        "--disable-background-networking --disable-component-update --disable-sync "
        "--user-data-dir='" +
        (dir / "profile").string() + "' --dump-dom 'file://" + copy.string() + "' > '" +
        dom.string() + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    const std::string out = ReadBytes(dom);
    const std::string marker = "data-copied=\"";
    const auto start = out.find(marker);
    if (start == std::string::npos)
        return {};
    const auto end = out.find('"', start + marker.size());
    std::string text = out.substr(start + marker.size(), end - start - marker.size());
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            plain += text[i];
            continue;
        }
        const auto semi = text.find(';', i);
        const std::string entity = text.substr(i + 1, semi - i - 1);
        plain += entity == "amp"    ? "&"
                 : entity == "lt"   ? "<"
                 : entity == "gt"   ? ">"
                 : entity == "quot" ? "\""
                                    : " "; // &#10; and the like: white space
        i = semi;
    }
    return plain;
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : std::string(text) + " ") {
        if (c == ' ' || c == '\n' || c == '\t' || c == '\r') {
            if (!word.empty())
                words.push_back(std::move(word));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

// The page's text as its runs spell it: each line with what ends it, paragraphs apart.
void RunText(const Render::Node& node, std::string& out, int32_t& story) {
    if (node.Kind() == Render::NodeKind::Group) {
        const auto& group = static_cast<const Render::GroupNode&>(node);
        if (!group.hidden)
            for (const auto& child : group.children)
                RunText(*child, out, story);
        return;
    }
    if (node.Kind() != Render::NodeKind::GlyphRun)
        return;
    const auto& run = static_cast<const Render::GlyphRunNode&>(node);
    if (run.story.story != story)
        out += ' ';
    story = run.story.story;
    // A hyphen the line break added is drawn, not copied: the word is whole.
    out += (run.breakHyphen ? run.text.substr(0, run.text.size() - 1) : run.text) + run.lineEnd;
}

class CopiedPages : public testing::TestWithParam<const char*> {};

// Words at the ends of two lines stay apart, words across a line stay together, and nothing is
// left out or added, in every script and direction the examples set.
TEST_P(CopiedPages, HoldTheWordsOfTheirTextInOrder) {
    if (!HaveChromium())
        GTEST_SKIP() << "chromium is not installed";
    const fs::path dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    const Cli::FixedDocument doc = ReadExample(GetParam());
    const fs::path unpacked = ExportAndUnpack(doc, dir);
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        std::string expected;
        int32_t story = -1;
        RunText(*doc.pages[i].root, expected, story);
        const std::string copied =
            CopiedText(dir, unpacked / "OEBPS" / ("page" + std::to_string(i + 1) + ".xhtml"));
        EXPECT_EQ(Words(copied), Words(expected))
            << GetParam() << " page " << i + 1 << ": " << copied;
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Examples, CopiedPages,
                         testing::Values("examples/magazine", "examples/multilingual",
                                         "tests/epub/fixed/story", "tests/epub/fixed/bidi",
                                         "tests/epub/fixed/hyphenation",
                                         "tests/epub/fixed/vertical", "tests/epub/fixed/wrap",
                                         "tests/epub/fixed/vstory"));

} // namespace
