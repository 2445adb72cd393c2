// SPDX-License-Identifier: MIT
#include "readers/odt/OdtDocs.h"

#include "host/text/ListAtt.h"
#include "host/text/ParagraphAtts.h"
#include "readers/docx/DocxPackage.h"

namespace OdtTest {

namespace {

constexpr const char* kNamespaces =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:xlink=\"http://www.w3.org/1999/xlink\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " office:version=\"1.3\"";

} // namespace

std::string Fodt(const std::string& body, const std::string& styles, const std::string& automatic,
                 const std::string& meta) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document") +
           kNamespaces + " office:mimetype=\"application/vnd.oasis.opendocument.text\">\n" +
           "<office:meta>" + meta + "</office:meta>\n<office:styles>" + styles +
           "</office:styles>\n<office:automatic-styles>" + automatic +
           "</office:automatic-styles>\n<office:body><office:text>" + body +
           "</office:text></office:body></office:document>\n";
}

std::string Odt(const std::string& body, const std::string& styles, const std::string& automatic,
                const std::vector<std::pair<std::string, std::string>>& extra, bool deflate) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"mimetype", "application/vnd.oasis.opendocument.text"},
        {"META-INF/manifest.xml",
         "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
         "<manifest:file-entry manifest:full-path=\"/\" "
         "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/></manifest:manifest>"},
        {"content.xml", std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<office:document-content") +
                            kNamespaces + "><office:automatic-styles>" + automatic +
                            "</office:automatic-styles><office:body><office:text>" + body +
                            "</office:text></office:body></office:document-content>"},
        {"styles.xml", std::string("<office:document-styles") + kNamespaces + "><office:styles>" +
                           styles + "</office:styles></office:document-styles>"}};
    files.insert(files.end(), extra.begin(), extra.end());
    return DocxTest::Zip(files, deflate);
}

Readers::Document Read(const std::string& bytes, const Readers::Odt::OdtOptions& options) {
    return Readers::Odt::ReadOdt(bytes, "test.odt", options);
}

std::string ErrorOf(const std::string& bytes, const Readers::Odt::OdtOptions& options) {
    try {
        Read(bytes, options);
    } catch (const Readers::InputError& e) {
        return e.what();
    }
    return {};
}

std::string LabelOf(const Readers::Document& doc, const char* text) {
    const auto& story = doc.stories.at(0).story;
    const auto target = DocxTest::Find(story, text);
    auto numberer = Text::Numberer::Make();
    for (auto pos = story->gbegin(); pos < story->gend(); pos = pos.GetParagraphEnd()) {
        const auto list = pos.GetParagraphAtts()->GetList();
        if (list)
            numberer->Advance(*list);
        if (pos.GetParagraphEnd() <= target)
            continue;
        if (!list)
            return {};
        if (list->GetType() == Text::ListType::Bullet)
            return list->GetBulletString().ToText().str();
        return list->GetPrefix().ToText().str() +
               Text::FormatNumber(numberer->GetNumber(list->GetLevel()), list->GetNumberFormat())
                   .str() +
               list->GetSuffix().ToText().str();
    }
    return {};
}

} // namespace OdtTest
