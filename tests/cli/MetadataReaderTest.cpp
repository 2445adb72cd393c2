// SPDX-License-Identifier: MIT
#include "cli/DocumentReader.h"
#include "cli/FixedDocumentReader.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Metadata first in both layouts, so a mistake is at the same line and column in either.
std::string Reflowable(const std::string& metadata) {
    return R"({"metadata": )" + metadata + R"(, "stories": []})";
}
std::string Fixed(const std::string& metadata) {
    return R"({"metadata": )" + metadata +
           R"(, "layout": "fixed", "pages": [{"width": 100, "height": 100, "items": []}]})";
}

template <class Read> std::string Error(Read read) {
    try {
        read();
    } catch (const Readers::InputError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(MetadataReader, BothLayoutsRefuseTheSameMetadataWithTheSameMessage) {
    const char* cases[] = {
        R"({"language": "en\" onload=\"x"})", // would be a second attribute on every page
        R"({"language": "en_GB"})",
        R"({"language": 3})",
        R"({"date": "2019-13-01"})",
        R"({"title": ["a"]})",
        R"({"identifier": null})",
        R"({"colour": "red"})",
    };
    for (const char* metadata : cases) {
        const std::string reflowable =
            Error([&] { Cli::ParseDocument(Reflowable(metadata), "doc.json", "."); });
        const std::string fixed =
            Error([&] { Cli::ParseFixedDocument(Fixed(metadata), "doc.json", "."); });
        EXPECT_NE(reflowable, "(no error)") << metadata;
        EXPECT_EQ(reflowable, fixed) << metadata;
    }
}

TEST(MetadataReader, BothLayoutsKeepTheSameFields) {
    const std::string metadata =
        R"({"title": "Quay", "author": "Ann", "language": "de-CH", "identifier": "urn:x:1",
            "date": "2024-05-17", "pageSource": "urn:isbn:9780000000002", "rights": "CC0"})";
    const Cli::Document doc = Cli::ParseDocument(Reflowable(metadata), "doc.json", ".");
    const Cli::FixedDocument fixed = Cli::ParseFixedDocument(Fixed(metadata), "doc.json", ".");
    for (const EPub::ExportSettings* s : {doc.settings.get(), fixed.settings.get()}) {
        EXPECT_EQ(s->title, "Quay");
        EXPECT_EQ(s->language, "de-CH");
        EXPECT_EQ(s->identifier, "urn:x:1");
        EXPECT_EQ(s->date, "2024-05-17");
        EXPECT_EQ(s->rights, "CC0");
    }
    EXPECT_EQ(fixed.pageSource, "urn:isbn:9780000000002");
    // Only reflowable documents say their identifier is an ISBN.
    EXPECT_NE(Error([&] {
                  Cli::ParseFixedDocument(Fixed(R"({"isbn": true})"), "doc.json", ".");
              }).find("isbn"),
              std::string::npos);
}

} // namespace
