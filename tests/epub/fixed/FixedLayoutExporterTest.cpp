// SPDX-License-Identifier: MIT
#include "epub/fixed/FixedLayoutExporter.h"

#include "hostimpl/foundation/ZipTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;
using FoundationTest::ReadZip;
using FoundationTest::ZipRecord;

class FixedLayoutExporterTest : public testing::Test {
protected:
    FoundationTest::ScratchDir dir;
    Counted<EPub::ExportSettings> settings = MakeCounted<EPub::ExportSettings>();
    Counted<EPub::FileExportOptions> options =
        MakeCounted<EPub::FileExportOptions>(Render::FileExportOptionsVector::Preset::Standard);

    FixedLayoutExporterTest() {
        settings->title = "Harbour Pictures";
        settings->identifier = "urn:uuid:4b0f3c8e-7a51-4f8e-9f0e-2d3c4b5a6978";
        settings->language = "en";
        options->SetPageDPI(96);
    }

    static EPub::FixedPage Page(uint8_t grey, StringT label = {}) {
        auto shape = MakeCounted<Render::ShapeNode>();
        shape->path = Render::Path::Rectangle({10, 10, 290, 190});
        shape->fill = Render::FillDescriptor::MakeSolid(Render::Colour::MakeRGB(grey, grey, grey));
        EPub::FixedPage page;
        page.width = 300;
        page.height = 200;
        page.label = std::move(label);
        page.root = MakeCounted<Render::GroupNode>();
        page.root->children.push_back(shape);
        return page;
    }

    static const ZipRecord* Find(const std::vector<ZipRecord>& zip, std::string_view name) {
        const auto it =
            std::ranges::find_if(zip, [&](const ZipRecord& r) { return r.name == name; });
        return it == zip.end() ? nullptr : &*it;
    }
};

TEST_F(FixedLayoutExporterTest, PagesAnchorsAndContentsMakeOnePublication) {
    const std::string path = dir / "book.epub";
    EPub::FixedLayoutExporter exporter(settings, options);
    ASSERT_TRUE(exporter.Start(StringT(path))) << exporter.GetLastError().str();
    exporter.AddAnchors(2, {{1, "harbour-at-dusk"}});
    exporter.AddTocEntry({"The quay", 1, 0});
    exporter.AddTocEntry({"Dusk", 2, 1});
    exporter.SetPageSource("urn:isbn:9780000000002");
    EPub::FixedPage first = Page(200, "i");
    first.spread = EPub::PageSpread::Right;
    ASSERT_TRUE(exporter.AddPage(first)) << exporter.GetLastError().str();
    ASSERT_TRUE(exporter.AddPage(Page(100, "ii")));
    EXPECT_EQ(exporter.GetPageCount(), 2u);
    ASSERT_TRUE(exporter.End()) << exporter.GetLastError().str();

    const auto zip = ReadZip(path);
    ASSERT_FALSE(zip.empty());
    EXPECT_EQ(zip.front().name, "mimetype");
    const ZipRecord* opf = Find(zip, "OEBPS/package.opf");
    ASSERT_NE(opf, nullptr);
    // 300 points at 96 dpi: the viewport is the first page in CSS pixels.
    EXPECT_NE(opf->data.find("rendition:layout"), std::string::npos);
    EXPECT_NE(opf->data.find("page-spread-right"), std::string::npos) << opf->data;
    ASSERT_NE(Find(zip, "OEBPS/page1.xhtml"), nullptr);
    const ZipRecord* page2 = Find(zip, "OEBPS/page2.xhtml");
    ASSERT_NE(page2, nullptr);
    EXPECT_NE(page2->data.find("width=400, height=267"), std::string::npos) << page2->data;
    const ZipRecord* nav = Find(zip, "OEBPS/nav.xhtml");
    ASSERT_NE(nav, nullptr);
    EXPECT_NE(nav->data.find("Dusk"), std::string::npos);
    EXPECT_NE(nav->data.find(">ii<"), std::string::npos) << nav->data;
}

TEST_F(FixedLayoutExporterTest, TheCoverPageIsDrawnIntoTheCoverImage) {
    options->SetCoverPage(EPub::FileExportOptions::CoverPage::DocumentPage);
    options->SetCoverPageNum(2);
    const std::string path = dir / "cover.epub";
    EPub::FixedLayoutExporter exporter(settings, options);
    ASSERT_TRUE(exporter.Start(StringT(path)));
    ASSERT_TRUE(exporter.AddPage(Page(250)));
    ASSERT_TRUE(exporter.AddPage(Page(0)));
    ASSERT_TRUE(exporter.End());
    const auto zip = ReadZip(path);
    const ZipRecord* cover = Find(zip, "OEBPS/image/cover.jpg");
    ASSERT_NE(cover, nullptr);
    EXPECT_EQ(cover->data.substr(0, 2), "\xFF\xD8");
    EXPECT_NE(Find(zip, "OEBPS/package.opf")->data.find("cover-image"), std::string::npos);
}

TEST_F(FixedLayoutExporterTest, MisuseAndUnreadableCoversAreRefusedWithAReason) {
    {
        EPub::FixedLayoutExporter exporter(settings, options);
        EXPECT_FALSE(exporter.AddPage(Page(0)));
        EXPECT_FALSE(exporter.GetLastError().empty());
        ASSERT_TRUE(exporter.Start(StringT(dir / "empty.epub")));
        EPub::FixedPage hollow = Page(0);
        hollow.root = nullptr;
        EXPECT_FALSE(exporter.AddPage(hollow));
        EXPECT_NE(exporter.GetLastError().str().find("page 1"), std::string::npos);
        EXPECT_FALSE(exporter.End()); // no page was added
    }
    {
        options->SetCoverPage(EPub::FileExportOptions::CoverPage::ImageFile);
        const std::string text = dir / "notes.txt";
        std::ofstream(text) << "not a picture";
        options->SetCoverPageFile(MakeCounted<Foundation::FileDataSource>(StringT(text)));
        EPub::FixedLayoutExporter exporter(settings, options);
        EXPECT_FALSE(exporter.Start(StringT(dir / "bad-cover.epub")));
        EXPECT_NE(exporter.GetLastError().str().find("notes.txt"), std::string::npos);
    }
}

TEST_F(FixedLayoutExporterTest, SharedSettingsAreOnlyRead) {
    // Two exports from one settings object, as two threads of a host would run them.
    const StringT title = settings->title;
    for (const char* name : {"a.epub", "b.epub"}) {
        EPub::FixedLayoutExporter exporter(settings, options);
        ASSERT_TRUE(exporter.Start(StringT(dir / name)));
        ASSERT_TRUE(exporter.AddPage(Page(120)));
        ASSERT_TRUE(exporter.End());
    }
    EXPECT_EQ(settings->title, title);
    EXPECT_EQ(Find(ReadZip(dir / "a.epub"), "OEBPS/page1.xhtml")->data,
              Find(ReadZip(dir / "b.epub"), "OEBPS/page1.xhtml")->data);
}

} // namespace
