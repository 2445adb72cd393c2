// SPDX-License-Identifier: MIT
#include "epub/fixed/Publication.h"

#include "support/FakeZipArchive.h"

#include <gtest/gtest.h>

namespace {

using EPub::Publication;
using Foundation::StringT;

class MemorySource final : public Foundation::DataSource {
public:
    explicit MemorySource(std::string data) : data_(std::move(data)) {}
    StringT GetDisplayPath() const override { return "memory"; }
    StringT GetFilename() const override { return "memory"; }
    StringT GetFileSystemRepresentation() const override { return {}; }
    std::optional<Foundation::TimeStamp> GetModifiedTime() const override { return {}; }
    bool Exists() const override { return true; }
    Foundation::Counted<Foundation::InStreamSeekable> Open() const override {
        return Foundation::MakeCounted<Foundation::MemoryInStream>(data_);
    }
    void AccumulateHash(Foundation::HashAccumulator&) const override {}
    void Save(Foundation::OutSerialiser&) const override {}
    bool Load(const Foundation::InSerialiser&, Foundation::FileStore&, uint32_t) override {
        return true;
    }
    const Foundation::ClassProperties& GetObjectSharedClassProperties() const override {
        return Foundation::FileDataSource::GetTypeSharedClassProperties();
    }

private:
    std::string data_;
};

struct Fixture : testing::Test {
    Foundation::Counted<Testing::FakeZipArchive> zip =
        Foundation::MakeCounted<Testing::FakeZipArchive>();
    Publication publication{"OEBPS", "/books/My Book.indd", "id", "", "en"};
    Fixture() { publication.SetArchive(zip); }
    StringT Css(const char* name) {
        return publication.AddCSS(name, MemorySource("p {}"), std::nullopt);
    }
};

TEST(PublicationBasics, MissingIdentifierAndTitleAreMadeUp) {
    Publication p("OEBPS", "/books/My Book.indd", "", "", "en");
    EXPECT_TRUE(p.GetIdentifier().StartsWith("urn:uuid:"));
    EXPECT_EQ(p.GetTitle(), "My Book");
    Publication q("OEBPS", "/books/Plain", "x", "", "en");
    EXPECT_EQ(q.GetTitle(), "Plain");
}

TEST(PublicationBasics, MediaTypesFromExtensions) {
    EXPECT_EQ(EPub::GetMediaType("a.JPEG"), EPub::MediaType::JPEG);
    EXPECT_EQ(EPub::GetMediaType("a.Css"), EPub::MediaType::CSS);
    EXPECT_EQ(EPub::GetMediaType("song.mp3"), EPub::MediaType::MP3);
    EXPECT_EQ(EPub::GetMediaType("noext"), EPub::MediaType::Other);
    EXPECT_EQ(EPub::GetMediaType("a.tif"), EPub::MediaType::Other);
}

TEST_F(Fixture, UserStyleSheetsNeverClashWithGeneratedOnes) {
    EXPECT_EQ(Css("styles.css"), "css/styles-1.css");
    EXPECT_EQ(Css("page3.css"), "css/page3-1.css");
    EXPECT_EQ(Css("a b.css"), "css/a_b.css");
    EXPECT_EQ(Css("a b.css"), "css/a_b-1.css");
    EXPECT_EQ(Css("a b.css"), "css/a_b-2.css");
    EXPECT_EQ(Css("dir/theme.txt"), "css/theme.css");
    EXPECT_EQ(Css("-x.css"), "css/_x.css");
    ASSERT_EQ(publication.GetStyleSheets().size(), 7u);
    EXPECT_NE(zip->Find("OEBPS/css/a_b-2.css"), nullptr);
}

TEST_F(Fixture, LandmarksKeepTheFirstPageExceptTheCoverWhichKeepsTheLast) {
    constexpr uint32_t title = 1u << 3, cover = 1u << 0;
    for (uint64_t n = 1; n <= 3; ++n) {
        EPub::Page page(publication, n, 100, 100);
        publication.Add(page, std::to_string(n), EPub::PageSpread::Auto, title | cover);
    }
    EXPECT_EQ(publication.GetLandmarks()[3], 1u);
    EXPECT_EQ(publication.GetLandmarks()[0], 3u | EPub::kLandmarkFromTypes);
    // A page's own tag overrides a cover slot set from the types.
    EPub::Page tagged(publication, 4, 100, 100);
    tagged.AddTag("epub:cover");
    tagged.AddTag("epub:copyright-page");
    tagged.AddTag("epub:nonsense");
    publication.Add(tagged, "4", EPub::PageSpread::Auto, 0);
    EXPECT_EQ(publication.GetLandmarks()[0], 4u);
    EXPECT_EQ(publication.GetLandmarks()[13], 4u);
}

TEST_F(Fixture, PagesKeepTheirLabelAndSpreadApart) {
    EPub::Page page(publication, 2, 100, 100);
    publication.Add(page, "iv", EPub::PageSpread::Right, 0);
    EXPECT_EQ(publication.GetPages().back().label, "iv");
    EXPECT_EQ(publication.GetPages().back().spread, EPub::PageSpread::Right);
    // A label may start with any character, the old spread markers among them.
    EPub::Page next(publication, 3, 100, 100);
    publication.Add(next, "=v", EPub::PageSpread::Auto, 0);
    EXPECT_EQ(publication.GetPages().back().label, "=v");
    EXPECT_EQ(publication.GetPages().back().spread, EPub::PageSpread::Auto);
    EXPECT_NE(zip->Find("OEBPS/page3.xhtml"), nullptr);
    EXPECT_NE(zip->Find("OEBPS/css/page3.css"), nullptr);
}

TEST_F(Fixture, NoteIdsAreCountedPerKind) {
    using EPub::NoteType;
    EXPECT_EQ(publication.Anchor(NoteType::Footnote, {0, 1, 0}), "footnoteref1");
    EXPECT_EQ(publication.Anchor(NoteType::Footnote, {0, 2, 0}), "footnoteref2");
    EXPECT_EQ(publication.Anchor(NoteType::Endnote, {0, 3, 0}), "endnoteref1");
    EXPECT_EQ(publication.Anchor(NoteType::Footnote, {0, 4, 0}), "footnoteref3");
    EXPECT_EQ(publication.Anchor(NoteType::Footnote, {0, 1, 0}), "footnoteref1"); // reused
    EXPECT_EQ(publication.Anchor(NoteType::None, {1, 0, 0}), "noteref");
    EXPECT_EQ(publication.Anchor(NoteType::Sidenote, {2, 0, 0}, StringT("given")), "given");
}

TEST_F(Fixture, AnchorNamesBecomeUniqueIdsWithinTheirLengthLimits) {
    const std::string longest(59, 'x');
    EXPECT_EQ(publication.Anchor(1, 1, "ab", 1), "a1");                   // too short: numbered
    EXPECT_EQ(publication.Anchor(1, 2, StringT(longest + "x"), 1), "a2"); // too long
    EXPECT_EQ(publication.Anchor(1, 3, StringT(longest), 1), StringT(longest));
    EXPECT_EQ(publication.Anchor(1, 4, "fig 1", 1), "fig_1");
    EXPECT_EQ(publication.Anchor(2, 5, "fig_1", 2), "fig_1-2"); // unique across pages
    EXPECT_EQ(publication.Anchor(2, 6, "3rd", 2), "_3rd");      // an id cannot start so
    EXPECT_EQ(publication.Anchor(2, 7, "caf\xc3\xa9!", 2), "caf__");
    EXPECT_EQ(publication.Anchor(2, 8, "\xc3\xa9t\xc3\xa9", 2), "_t_"); // counted in characters
    EXPECT_EQ(publication.Anchor(2, 9, "pg2", 2), "pg2-2"); // the page-break marker's id
    EXPECT_EQ(publication.Anchor(2, 10, "a12", 2), "a12-2");
    EXPECT_EQ(publication.Anchor(2, 11, "span2-1", 2), "span2-1-2");
    // Looked up by page: the same number elsewhere is another anchor.
    EXPECT_EQ(publication.AnchorId(2, 5), "fig_1-2");
    EXPECT_EQ(publication.AnchorId(1, 5), "a5");
    EXPECT_EQ(publication.AnchorId(1, 1), "a1");
}

TEST_F(Fixture, ImagesAreNamedByCounterOrSourceAndMadeUnique) {
    using EPub::MediaType;
    EXPECT_EQ(publication.StoreImage(std::nullopt, MediaType::PNG, false).path, "image/1.png");
    EXPECT_EQ(publication.StoreImage(std::nullopt, MediaType::JPEG, true).path, "image/cover.jpg");
    EXPECT_EQ(publication.StoreImage(StringT("x/front.tif"), MediaType::PNG, false).path,
              "image/front.png");
    EXPECT_EQ(publication.StoreImage(StringT("front.png"), MediaType::PNG, false).path,
              "image/front-1.png");
    EXPECT_EQ(publication.GetCoverImage(), 1u);
}

TEST_F(Fixture, DocumentStylesAreSharedAndTheHiddenLayerRuleRegisteredOnce) {
    const auto a = publication.AddDocStyle(EPub::Section::Text, "", "color: red");
    EXPECT_EQ(publication.AddDocStyle(EPub::Section::Text, "", "color: red"), a);
    EXPECT_NE(publication.AddDocStyle(EPub::Section::Text, "", "color: blue"), a);
    const size_t before = publication.GetDocStyles().size();
    EXPECT_EQ(publication.HiddenLayerClass(), "hidden-layer");
    EXPECT_EQ(publication.HiddenLayerClass(), "hidden-layer");
    EXPECT_EQ(publication.GetDocStyles().size(), before + 2);
}

} // namespace

TEST(PublicationIdentifier, BlankIdentifiersAreReplacedAsForReflowableOnes) {
    for (const char* blank : {"", "  ", "\t\x01 "}) {
        const EPub::Publication p{"OEBPS", "b.epub", blank, "t", "en"};
        EXPECT_TRUE(p.GetIdentifier().view().starts_with("urn:uuid:")) << p.GetIdentifier().str();
    }
    EXPECT_EQ((EPub::Publication{"OEBPS", "b.epub", " isbn ", "t", "en"}).GetIdentifier(),
              " isbn ");
}
