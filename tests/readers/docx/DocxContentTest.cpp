// SPDX-License-Identifier: MIT
// What stands in the text besides runs: notes, tables, links and fields, pictures, equations,
// and where the text is split into content documents; and the metadata around it.

#include "readers/docx/DocxPackage.h"

#include "host/foundation/DataSource.h"
#include "host/raster/ImageFile.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/AttributeObjects.h"
#include "host/text/NoteAtt.h"
#include "host/text/ParagraphAtts.h"
#include "host/text/Table.h"
#include "hostimpl/raster/Codecs.h"

#include <gtest/gtest.h>

using namespace DocxTest;

namespace {

const std::string
    kPng("\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
         "\x00\x01\x08\x06\x00\x00\x00\x1F\x15\xC4\x89\x00\x00\x00\x0D\x49\x44\x41\x54\x78\xDA\x63"
         "\x64\x60\xF8\x5F\x0F\x00\x02\x87\x01\x80\xEB\x47\xBA\x92\x00\x00\x00\x00\x49\x45\x4E\x44"
         "\xAE\x42\x60\x82",
         67);

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationship(const std::string& id, const std::string& type, const std::string& target,
                         bool external = false) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRel + type + "\" Target=\"" + target +
           "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
}

std::string Picture(const std::string& id, const std::string& alt, bool decorative = false,
                    const std::string& crop = {}) {
    return "<w:r><w:drawing><wp:inline><wp:extent cx=\"1270000\" cy=\"635000\"/>"
           "<wp:docPr id=\"1\" name=\"Picture 1\" descr=\"" +
           alt + "\">" +
           (decorative ? "<a:extLst><a:ext uri=\"{C183D7F6-B498-43B3-948B-1728B52AA6E4}\">"
                         "<adec:decorative xmlns:adec=\"http://schemas.microsoft.com/office/"
                         "drawing/2017/decorative\" val=\"1\"/></a:ext></a:extLst>"
                       : "") +
           "</wp:docPr><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/"
           "drawingml/2006/picture\"><pic:pic><pic:blipFill><a:blip r:embed=\"" +
           id + "\"/>" + crop +
           "</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>";
}

std::string Heading(const std::string& text) {
    return Para(text, "Heading1");
}

const std::string kHeadingStyle =
    "<w:style w:type=\"paragraph\" w:styleId=\"Heading1\"><w:name w:val=\"heading 1\"/>"
    "<w:pPr><w:outlineLvl w:val=\"0\"/></w:pPr></w:style>";

} // namespace

TEST(DocxContent, NotesCarryTheirBodiesAndDropCustomMarks) {
    Parts parts;
    parts.body = "<w:p><w:r><w:t>Cold.</w:t></w:r><w:r><w:footnoteReference w:id=\"2\"/></w:r>"
                 "<w:r><w:t xml:space=\"preserve\"> Later.</w:t></w:r>"
                 "<w:r><w:endnoteReference w:customMarkFollows=\"1\" w:id=\"1\"/><w:t>*</w:t></w:r>"
                 "<w:r><w:footnoteReference w:id=\"9\"/></w:r></w:p>";
    parts.footnotes =
        "<w:footnote w:type=\"separator\" w:id=\"0\"><w:p><w:r><w:separator/></w:r>"
        "</w:p></w:footnote><w:footnote w:id=\"2\"><w:p><w:r><w:footnoteRef/></w:r>"
        "<w:r><w:t xml:space=\"preserve\"> Minus twelve.</w:t></w:r></w:p></w:footnote>";
    parts.endnotes = "<w:endnote w:id=\"1\">" + Para("An endnote.") + "</w:endnote>";
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    EXPECT_EQ(Plain(story), "Cold. Later.");
    const auto notes = Pinned<Text::Note>(story);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0]->GetKind(), Text::NoteKind::Footnote);
    EXPECT_EQ(Plain(notes[0]->GetContent()), "Minus twelve."); // the space after the mark goes
    EXPECT_EQ(notes[1]->GetKind(), Text::NoteKind::Endnote);
    EXPECT_EQ(Plain(notes[1]->GetContent()), "An endnote.");
    ASSERT_EQ(doc.findings.size(), 1u);
    EXPECT_EQ(doc.findings[0].message, "footnote 9 is missing");
    EXPECT_EQ(doc.findings[0].where, "/word/document.xml:2");
}

TEST(DocxContent, TablesKeepTheirGridSpansAndHeaderRows) {
    const auto cell = [](const std::string& text, const std::string& props = {}) {
        return "<w:tc><w:tcPr>" + props + "</w:tcPr>" + Para(text) + "</w:tc>";
    };
    Parts parts;
    parts.body = Para("before") +
                 "<w:tbl><w:tblGrid><w:gridCol w:w=\"2000\"/><w:gridCol w:w=\"1000\"/>"
                 "<w:gridCol w:w=\"1000\"/></w:tblGrid>"
                 "<w:tr><w:trPr><w:tblHeader/></w:trPr>" +
                 cell("wide", "<w:gridSpan w:val=\"2\"/>") + cell("c") + "</w:tr><w:tr>" +
                 cell("tall", "<w:vMerge w:val=\"restart\"/>") + cell("x") +
                 cell("shaded", "<w:shd w:val=\"clear\" w:fill=\"FFFF00\"/>") + "</w:tr><w:tr>" +
                 cell("", "<w:vMerge/>") + cell("y") + "<w:tc>" + Para("nested") +
                 "<w:tbl><w:tblGrid><w:gridCol w:w=\"500\"/></w:tblGrid><w:tr>" + cell("inner") +
                 "</w:tr></w:tbl></w:tc></w:tr></w:tbl>" + Para("after");
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    const auto tables = Pinned<Text::TableFrame>(story);
    ASSERT_EQ(tables.size(), 1u);
    const auto& table = *tables[0]->GetTable();
    EXPECT_EQ(table.GetSize(), (Text::TableSize{3, 3}));
    EXPECT_DOUBLE_EQ(table.GetColumnWidth(0), 100);
    EXPECT_EQ(table.GetHeaderRows(), 1);
    EXPECT_EQ(table.GetMerged(0, 0), (Text::CellSpan{2, 1}));
    EXPECT_EQ(table.GetMerged(0, 1), (Text::CellSpan{1, 2}));
    EXPECT_EQ(table.GetCellRange(2, 0).GetText().str(), "c\n");
    EXPECT_EQ(table.GetCellRange(1, 2).GetText().str(), "y\n");
    ASSERT_TRUE(table.GetCellOverride(2, 1));
    EXPECT_TRUE(table.GetCellOverride(2, 1)->fill);
    // The nested table sits in its cell.
    const auto cellText = table.GetCellRange(2, 2);
    EXPECT_EQ(cellText.GetText().str().substr(0, 6), "nested");
    EXPECT_EQ(Pinned<Text::TableFrame>(table.GetStory()).size(), 1u);
    EXPECT_EQ(Plain(story), "before\n\nafter");
}

TEST(DocxContent, LinksAndFieldsPointWhereWordDoes) {
    Parts parts;
    parts.extraRelationships = Relationship("rLink", "hyperlink", "https://example.com/a b", true) +
                               Relationship("rFile", "hyperlink", "file:///C:/secret.doc", true);
    parts.body = "<w:p><w:bookmarkStart w:id=\"0\" w:name=\"target\"/><w:r><w:t>Target</w:t></w:r>"
                 "<w:bookmarkEnd w:id=\"0\"/></w:p>"
                 "<w:p><w:hyperlink r:id=\"rLink\"><w:r><w:t>web</w:t></w:r></w:hyperlink>"
                 "<w:hyperlink r:id=\"rFile\"><w:r><w:t xml:space=\"preserve\"> "
                 "file</w:t></w:r></w:hyperlink>"
                 "<w:hyperlink w:anchor=\"target\"><w:r><w:t xml:space=\"preserve\"> "
                 "inside</w:t></w:r></w:hyperlink>"
                 "<w:hyperlink w:anchor=\"nowhere\"><w:r><w:t xml:space=\"preserve\"> "
                 "lost</w:t></w:r></w:hyperlink>"
                 "<w:hyperlink r:id=\"rLink\" w:anchor=\"part\"><w:r><w:t "
                 "xml:space=\"preserve\"> part</w:t></w:r></w:hyperlink>"
                 "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText "
                 "xml:space=\"preserve\"> REF target \\h </w:instrText></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t "
                 "xml:space=\"preserve\"> see Target</w:t></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>PAGEREF "
                 "target</w:instrText></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>17</w:t></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>"
                 "<w:fldSimple w:instr=\" HYPERLINK &quot;http://example.org/&quot; \"><w:r><w:t "
                 "xml:space=\"preserve\"> simple</w:t></w:r></w:fldSimple>"
                 "</w:p>";
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    EXPECT_EQ(Plain(story), "Target\nweb file inside lost part see Target simple");
    const auto link = [&](const char* text) -> const Text::HyperlinkData* {
        const auto att = Find(story, text).GetGlyphAtts()->GetHyperlink();
        return att ? att->GetData().get() : nullptr;
    };
    ASSERT_TRUE(link("web"));
    EXPECT_EQ(link("web")->GetPath(), "https://example.com/a%20b");
    EXPECT_FALSE(link(" file")); // a file on the author's disk is no link
    ASSERT_TRUE(link(" inside"));
    const auto target = link(" inside")->GetAnchor();
    EXPECT_EQ(link(" see")->GetAnchor(), target);
    EXPECT_FALSE(link(" lost"));
    EXPECT_EQ(link(" part")->GetPath(), "https://example.com/a%20b#part");
    EXPECT_EQ(link(" simple")->GetPath(), "http://example.org/");
    // The bookmark is registered where its paragraph starts.
    const auto& anchors = doc.stories[0].marks.anchors;
    const auto it = std::find_if(anchors.begin(), anchors.end(),
                                 [&](const auto& m) { return m.anchor == target; });
    ASSERT_NE(it, anchors.end());
    EXPECT_EQ(Find(story, "Target").GetIndex(), it->pos.GetIndex() + 1);
}

TEST(DocxContent, ContentsFieldsMarkTheirParagraphs) {
    Parts parts;
    parts.body = "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>TOC \\o "
                 "\"1-3\"</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>"
                 "<w:r><w:t>Chapter 1</w:t></w:r></w:p><w:p><w:r><w:t>Chapter 2</w:t></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>" +
                 Para("Body");
    const auto doc = Read(parts);
    const auto& story = doc.stories.at(0).story;
    for (const char* text : {"Chapter 1", "Chapter 2"}) {
        const auto toc = Find(story, text).GetParagraphAtts()->GetToc();
        ASSERT_TRUE(toc) << text;
        EXPECT_EQ(toc->GetKind(), 1);
    }
    EXPECT_FALSE(Find(story, "Body").GetParagraphAtts()->GetToc());
}

TEST(DocxContent, SectionBreaksAndPageBreaksBeforeTopHeadingsStartDocuments) {
    Parts parts;
    parts.styles = kHeadingStyle;
    // A section's w:type says how that section starts: the break a paragraph's w:sectPr makes
    // is the next section's, and the body's own w:sectPr gives the last one.
    parts.body = Para("front") + "<w:p><w:pPr><w:sectPr/></w:pPr></w:p>" + Heading("One") +
                 Para("text") + "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p>" + Heading("Two") +
                 Para("more") + "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p>" + Para("same") +
                 "<w:p><w:pPr><w:sectPr/></w:pPr></w:p>" + Para("still") +
                 "<w:sectPr><w:type w:val=\"continuous\"/></w:sectPr>";
    const auto doc = Read(parts);
    ASSERT_EQ(doc.stories.size(), 3u);
    EXPECT_EQ(doc.stories[0].fileName, "section-1.xhtml");
    EXPECT_EQ(Plain(doc.stories[1].story), "One\ntext\n");
    EXPECT_EQ(doc.stories[1].tocText, "One");
    EXPECT_EQ(Plain(doc.stories[2].story), "Two\nmore\n\nsame\n\nstill");
    EXPECT_EQ(doc.stories[2].fileName, "section-3.xhtml");

    Readers::Docx::DocxOptions whole;
    whole.splitAtSections = false;
    EXPECT_EQ(Read(parts, whole).stories.size(), 1u);
}

TEST(DocxContent, PicturesComeFromThePackageWithTheirAltText) {
    Parts parts;
    parts.extraFiles = {{"word/media/image1.png", kPng},
                        {"word/media/broken.png", "\x89PNG not really"},
                        {"word/media/vector.emf", "EMF data"}};
    parts.extraRelationships = Relationship("rImg", "image", "media/image1.png") +
                               Relationship("rBroken", "image", "media/broken.png") +
                               Relationship("rEmf", "image", "media/vector.emf") +
                               Relationship("rGone", "image", "media/gone.png") +
                               Relationship("rOut", "image", "../../outside.png");
    parts.body = "<w:p>" + Picture("rImg", "A red dot") + Picture("rImg", "", true) +
                 Picture("rBroken", "x") + Picture("rEmf", "y") + Picture("rGone", "z") +
                 Picture("rOut", "w") + Picture("rNone", "v") + "</w:p>";
    const auto doc = Read(parts);
    const auto frames = Pinned<Text::AnchoredFrame>(doc.stories.at(0).story);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_DOUBLE_EQ(frames[0]->GetWidth(), 100);
    EXPECT_DOUBLE_EQ(frames[0]->GetHeight(), 50);
    ASSERT_TRUE(frames[0]->GetTags());
    EXPECT_EQ(frames[0]->GetTags()->GetAltText(), "A red dot");
    EXPECT_EQ(frames[0]->GetContentPath(), "/word/media/image1.png");
    EXPECT_FALSE(frames[1]->GetTags()); // decorative
    std::vector<std::string> findings;
    for (const auto& f : doc.findings)
        findings.push_back(f.where + ": " + f.message);
    EXPECT_EQ(
        findings,
        (std::vector<std::string>{
            "/word/media/broken.png: a damaged picture was skipped",
            "/word/media/vector.emf: a picture in EMF format without a bitmap fallback was skipped",
            "/word/document.xml:2: the picture /word/media/gone.png is missing from the package",
            "/word/document.xml:2: a picture whose relationship \"rOut\" is missing was skipped",
            "/word/document.xml:2: a picture whose relationship \"rNone\" is missing was "
            "skipped"}));
}

TEST(DocxContent, SpecialCharactersAndBreaksBecomeTheirUnicode) {
    Parts parts;
    parts.body = "<w:p><w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t>"
                 "<w:noBreakHyphen/><w:t>d</w:t><w:softHyphen/><w:t>e</w:t>"
                 "<w:sym w:font=\"Symbol\" w:char=\"F061\"/><w:sym w:font=\"Wingdings\" "
                 "w:char=\"F0FC\"/><w:sym w:font=\"Arial\" w:char=\"00A9\"/>"
                 "<w:br w:type=\"column\"/><w:t>f</w:t></w:r>"
                 "<w:r><w:t>line\nfeed</w:t></w:r></w:p>";
    // A column break between words keeps them apart, as a line break.
    EXPECT_EQ(Plain(Read(parts)), "a\tb\u2028c\u2011d\u00ADe\u03B1\u2713\u00A9\u2028fline feed");
}

TEST(DocxContent, BmpPicturesAreStoredAsPng) {
    // One blue pixel: file header, information header, a row padded to four bytes.
    std::string bmp("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x18\0"
                    "\0\0\0\0\x04\0\0\0\x13\x0B\0\0\x13\x0B\0\0\0\0\0\0\0\0\0\0\xFF\0\0\0",
                    58);
    Parts parts;
    parts.extraFiles = {{"word/media/image1.bmp", bmp}};
    parts.extraRelationships = Relationship("rBmp", "image", "media/image1.bmp");
    parts.body = "<w:p>" + Picture("rBmp", "Blue") + "</w:p>";
    const auto doc = Read(parts);
    EXPECT_TRUE(doc.findings.empty());
    const auto frames = Pinned<Text::AnchoredFrame>(doc.stories.at(0).story);
    ASSERT_EQ(frames.size(), 1u);
    const auto* source = dynamic_cast<const Foundation::DataSource*>(frames[0]->GetContent().get());
    ASSERT_TRUE(source);
    const std::string stored = Foundation::ReadAll(*source->Open());
    EXPECT_EQ(stored.substr(1, 3), "PNG");
}

TEST(DocxContent, EquationsAreLinearTextCarryingTheirMathML) {
    const auto run = [](const std::string& text) { return "<m:r><m:t>" + text + "</m:t></m:r>"; };
    Parts parts;
    parts.body = "<w:p><w:r><w:t xml:space=\"preserve\">so </w:t></w:r><m:oMath><m:sSup><m:e>" +
                 run("x") + "</m:e><m:sup>" + run("2") + "</m:sup></m:sSup>" + run("+") +
                 "<m:f><m:num>" + run("a+b") + "</m:num><m:den>" + run("2") +
                 "</m:den></m:f></m:oMath></w:p><w:p><m:oMathPara><m:oMath><m:nary><m:naryPr>"
                 "<m:chr m:val=\"∑\"/></m:naryPr><m:sub>" +
                 run("i=1") + "</m:sub><m:sup>" + run("n") + "</m:sup><m:e>" + run("i") +
                 "</m:e></m:nary></m:oMath></m:oMathPara></w:p>";
    const auto doc = Read(parts);
    EXPECT_EQ(Plain(doc), "so x^2+(a+b)/2\n∑_(i=1)^n i");
    EXPECT_TRUE(doc.findings.empty());
    const auto mathOf = [&](std::string_view text) {
        for (const auto& entry : doc.stories)
            if (const Text::StoryPos at = Find(entry.story, text); !at.IsNull())
                return at.GetGlyphAtts()->GetString(Text::GlyphStr::MathML).str();
        return std::string("not found");
    };
    EXPECT_EQ(mathOf("so"), "");
    EXPECT_TRUE(
        mathOf("x^2").starts_with("<math xmlns=\"http://www.w3.org/1998/Math/MathML\"><msup>"))
        << mathOf("x^2");
    EXPECT_NE(mathOf("∑").find("display=\"block\""), std::string::npos);
}

TEST(DocxContent, CroppedPicturesHoldThePartShown) {
    // A 40 × 20 picture, its left half red and its right half blue.
    auto bitmap = Raster::DynamicBitmap::Create(40, 20);
    for (uint32_t y = 0; y < 20; ++y)
        for (uint32_t x = 0; x < 40; ++x) {
            uint8_t* p = bitmap->Row(y) + x * 4;
            p[0] = x < 20 ? 255 : 0;
            p[2] = x < 20 ? 0 : 255;
            p[3] = 255;
        }
    Parts parts;
    parts.extraFiles = {{"word/media/wide.png", *Raster::Codecs::EncodePNG(*bitmap)}};
    parts.extraRelationships = Relationship("rWide", "image", "media/wide.png");
    const std::string vml = "<w:r><w:pict><v:shape style=\"width:30pt;height:7.5pt\">"
                            "<v:imagedata r:id=\"rWide\" o:title=\"t\" croptop=\"0.5\" "
                            "cropright=\"16384f\"/></v:shape></w:pict></w:r>";
    parts.body =
        "<w:p>" +
        Picture("rWide", "right half", false, "<a:srcRect l=\"50000\" t=\"0\" r=\"0\" b=\"0\"/>") +
        Picture("rWide", "whole", false, "<a:srcRect l=\"-10000\" r=\"-10000\"/>") +
        Picture("rWide", "nothing left", false, "<a:srcRect l=\"60000\" r=\"60000\"/>") + vml +
        "</w:p>";
    const auto doc = Read(parts);
    const auto frames = Pinned<Text::AnchoredFrame>(doc.stories.at(0).story);
    ASSERT_EQ(frames.size(), 4u);
    const auto shown = [&](size_t i) {
        const auto* source =
            dynamic_cast<const Foundation::DataSource*>(frames[i]->GetContent().get());
        return Raster::DecodeImage(Foundation::ReadAll(*source->Open()));
    };
    const auto right = shown(0);
    ASSERT_TRUE(right);
    EXPECT_EQ(right->Width(), 20u);
    EXPECT_EQ(right->Height(), 20u);
    EXPECT_EQ(right->Row(10)[2], 255) << "the blue half is the one kept";
    EXPECT_NE(frames[0]->GetContentPath(), "/word/media/wide.png");
    // Space added round a picture, or a crop that leaves nothing, shows it whole.
    EXPECT_EQ(shown(1)->Width(), 40u);
    EXPECT_EQ(frames[1]->GetContentPath(), "/word/media/wide.png");
    EXPECT_EQ(shown(2)->Width(), 40u);
    // VML: the bottom half, less a quarter on the right.
    const auto vmlShown = shown(3);
    EXPECT_EQ(vmlShown->Width(), 30u);
    EXPECT_EQ(vmlShown->Height(), 10u);
}

TEST(DocxContent, MetadataComesFromThePropertiesOrTheText) {
    Parts parts;
    parts.styles = kHeadingStyle;
    parts.body = Heading("The Harbour") + Para("text");
    parts.core = "<dc:title>Harbour Book</dc:title><dc:creator>Ann Author</dc:creator>"
                 "<dc:language>en-GB</dc:language><dc:subject>Sea</dc:subject>"
                 "<cp:keywords>boats</cp:keywords><dc:description>About boats</dc:description>";
    const auto doc = Read(parts);
    EXPECT_EQ(doc.settings->title, "Harbour Book");
    EXPECT_EQ(doc.settings->author, "Ann Author");
    EXPECT_EQ(doc.settings->language, "en-GB");
    EXPECT_EQ(doc.settings->subject, "Sea; boats");
    EXPECT_EQ(doc.settings->description, "About boats");
    EXPECT_TRUE(doc.settings->identifier.StartsWith("urn:uuid:"));

    parts.core.clear();
    const auto untitled = Read(parts);
    EXPECT_EQ(untitled.settings->title, "The Harbour");
    EXPECT_EQ(untitled.settings->language, "en");
    parts.body = Para("no heading");
    EXPECT_EQ(Read(parts).settings->title, "test");
}

// EPUB cannot show a metafile; the bitmap Word keeps beside it, in the blip or the fallback, can.
TEST(DocxContent, MetafilesGiveWayToTheirBitmapAlternatives) {
    Parts parts;
    parts.extraFiles = {{"word/media/v.emf", "EMF data"}, {"word/media/v.png", kPng}};
    parts.extraRelationships =
        Relationship("rEmf", "image", "media/v.emf") + Relationship("rPng", "image", "media/v.png");
    std::string layered = Picture("rEmf", "layered");
    layered.replace(layered.find("r:embed=\"rEmf\"/>"), 16,
                    "r:embed=\"rEmf\"><a:extLst><a:ext uri=\"{BEBA8EAE}\"><a14:imgProps>"
                    "<a14:imgLayer r:embed=\"rPng\"/></a14:imgProps></a:ext></a:extLst></a:blip>");
    parts.body = "<w:p>" + layered + "<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\">" +
                 Picture("rEmf", "chosen").substr(5) + "</mc:Choice><mc:Fallback>" +
                 Picture("rPng", "fallback").substr(5) + "</mc:Fallback></mc:AlternateContent>" +
                 "</w:r></w:p>";
    // Picture() wraps each drawing in its own run; inside the alternate content the run tags go.
    for (const char* tag : {"</w:r></mc:Choice>", "</w:r></mc:Fallback>"}) {
        const size_t at = parts.body.find(tag);
        ASSERT_NE(at, std::string::npos);
        parts.body.erase(at, 6);
    }
    const auto doc = Read(parts);
    const auto frames = Pinned<Text::AnchoredFrame>(doc.stories.at(0).story);
    ASSERT_EQ(frames.size(), 2u);
    for (const auto& frame : frames)
        EXPECT_EQ(frame->GetContentPath(), "/word/media/v.png");
    EXPECT_EQ(frames[1]->GetTags()->GetAltText(), "fallback");
    EXPECT_TRUE(doc.findings.empty()) << doc.findings.front().message;
}
