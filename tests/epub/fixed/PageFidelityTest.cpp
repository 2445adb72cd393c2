// Each page of the fixed-layout examples, drawn by the renderer with cairo, against the exported
// page document rendered by headless Chromium at the same size.

#include "cli/FixedDocumentReader.h"
#include "cli/FixedExport.h"
#include "epub/package/FontObfuscation.h"
#include "host/foundation/FileStream.h"
#include "host/raster/ImageEncoder.h"
#include "host/raster/ImageFile.h"
#include "host/render/BitmapRenderTarget.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// Colour difference (largest channel, 0..255) that counts a pixel as different.
constexpr int kTolerance = 48;
constexpr double kMaxDifferentShare = 0.02;

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

class PageFidelity : public testing::TestWithParam<const char*> {};

TEST_P(PageFidelity, ExportedPagesLookLikeTheirDrawing) {
    if (!HaveChromium())
        GTEST_SKIP() << "chromium is not installed";
    std::string pattern = (fs::temp_directory_path() / "epubfidelity-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const fs::path source =
        fs::path(EPUB_SOURCE_DIR) / "examples" / (std::string(GetParam()) + ".json");
    const Cli::FixedDocument doc = Cli::ReadFixedDocument(source);
    const fs::path epub = dir / "book.epub";
    Cli::ExportFixedEPub(doc, epub);
    const fs::path unpacked = dir / "book";
    ASSERT_EQ(
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
    const double scale = Cli::PageScale(doc);
    bool allGood = true;
    for (size_t i = 0; i < doc.pages.size(); ++i) {
        const auto& page = doc.pages[i];
        const auto w = uint32_t(std::lround(page.width * scale));
        const auto h = uint32_t(std::lround(page.height * scale));
        Render::BitmapRenderTarget target(w, h, scale);
        target.DrawTree(*page.root);
        auto reference = target.GetBitmap();
        const fs::path shot = dir / ("page" + std::to_string(i + 1) + "-chromium.png");
        const std::string command =
            "chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
            "--disable-background-networking --disable-component-update --disable-sync "
            "--hide-scrollbars --force-device-scale-factor=1 --user-data-dir='" +
            (dir / "profile").string() + "' --screenshot='" + shot.string() +
            "' --window-size=" + std::to_string(w) + "," + std::to_string(h) + " 'file://" +
            (unpacked / "OEBPS" / ("page" + std::to_string(i + 1) + ".xhtml")).string() +
            "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        auto rendered = Raster::DecodeImage(ReadBytes(shot));
        ASSERT_TRUE(rendered) << shot;
        OnWhite(*reference);
        OnWhite(*rendered);
        const Comparison c = Compare(*reference, *rendered);
        std::cout << GetParam() << " page " << i + 1 << ": " << c.share * 100
                  << " % of pixels differ\n";
        RecordProperty(std::string(GetParam()) + "_page" + std::to_string(i + 1),
                       std::to_string(c.share * 100));
        if (c.share > kMaxDifferentShare) {
            allGood = false;
            WritePng(*reference, dir / ("page" + std::to_string(i + 1) + "-reference.png"));
            if (c.difference)
                WritePng(*c.difference, dir / ("page" + std::to_string(i + 1) + "-difference.png"));
            ADD_FAILURE() << GetParam() << " page " << i + 1 << ": " << c.share * 100
                          << " % of pixels differ; images kept in " << dir;
        }
    }
    if (allGood)
        fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Examples, PageFidelity, testing::Values("picturebook", "magazine"));

} // namespace
