// SPDX-License-Identifier: MIT
#include "epub/package/Landmark.h"

#include <algorithm>
#include <array>

namespace EPub {

namespace {

using L = Landmark;

// Row 13 keeps the vocabulary's "acknowledgments" in the epub:type and the role but the British
// spelling in the names; row 14's short name is not derived from its epub:type.
constexpr std::array<LandmarkInfo, kLandmarkCount> kTable{{
    {L::Cover, "epub:cover", "cover", "EPUB:Cover", "Cover", ""},
    {L::TableOfContents, "epub:toc", "toc", "EPUB:Table of Contents", "Table of Contents",
     "doc-toc"},
    {L::BodyMatter, "epub:bodymatter", "bodymatter", "EPUB:Start of Content", "Start of Content",
     ""},
    {L::TitlePage, "epub:title-page", "title-page", "EPUB:Title Page", "Title Page", ""},
    {L::FrontMatter, "epub:frontmatter", "frontmatter", "EPUB:Front Matter", "Front Matter", ""},
    {L::BackMatter, "epub:backmatter", "backmatter", "EPUB:Back Matter", "Back Matter", ""},
    {L::ListOfIllustrations, "epub:loi", "loi", "EPUB:List of Illustrations",
     "List of Illustrations", ""},
    {L::ListOfTables, "epub:lot", "lot", "EPUB:List of Tables", "List of Tables", ""},
    {L::Preface, "epub:preface", "preface", "EPUB:Preface", "Preface", "doc-preface"},
    {L::Bibliography, "epub:bibliography", "bibliography", "EPUB:Bibliography", "Bibliography",
     "doc-bibliography"},
    {L::Index, "epub:index", "index", "EPUB:Index", "Index", "doc-index"},
    {L::Glossary, "epub:glossary", "glossary", "EPUB:Glossary", "Glossary", "doc-glossary"},
    {L::Acknowledgements, "epub:acknowledgments", "acknowledgements", "EPUB:Acknowledgements",
     "Acknowledgements", "doc-acknowledgments"},
    {L::Copyright, "epub:copyright-page", "copyright", "EPUB:Copyright", "Copyright", ""},
    {L::Afterword, "epub:afterword", "afterword", "EPUB:Afterword", "Afterword", "doc-afterword"},
    {L::Appendix, "epub:appendix", "appendix", "EPUB:Appendix", "Appendix", "doc-appendix"},
    {L::Conclusion, "epub:conclusion", "conclusion", "EPUB:Conclusion", "Conclusion",
     "doc-conclusion"},
    {L::Credits, "epub:credits", "credits", "EPUB:Credits", "Credits", "doc-credits"},
    {L::Endnotes, "epub:endnotes", "endnotes", "EPUB:Endnotes", "Endnotes", "doc-endnotes"},
    {L::Epilogue, "epub:epilogue", "epilogue", "EPUB:Epilogue", "Epilogue", "doc-epilogue"},
    {L::Errata, "epub:errata", "errata", "EPUB:Errata", "Errata", "doc-errata"},
    {L::Foreword, "epub:foreword", "foreword", "EPUB:Foreword", "Foreword", "doc-foreword"},
    {L::Introduction, "epub:introduction", "introduction", "EPUB:Introduction", "Introduction",
     "doc-introduction"},
    {L::Prologue, "epub:prologue", "prologue", "EPUB:Prologue", "Prologue", "doc-prologue"},
}};

// Lookup by value indexes the table directly, so row i must hold value i + 1.
constexpr bool RowsInValueOrder() {
    for (size_t i = 0; i < kTable.size(); ++i)
        if (static_cast<size_t>(kTable[i].landmark) != i + 1)
            return false;
    return true;
}
static_assert(RowsInValueOrder());

constexpr LandmarkInfo kNoLandmark{};

} // namespace

std::span<const LandmarkInfo> LandmarkTable() noexcept {
    return kTable;
}

const LandmarkInfo& GetLandmarkInfo(Landmark landmark) noexcept {
    const auto value = static_cast<int>(landmark);
    if (value < 1 || value > static_cast<int>(kTable.size()))
        return kNoLandmark;
    return kTable[static_cast<size_t>(value - 1)];
}

Landmark LandmarkFromEpubType(std::string_view epubType) noexcept {
    const auto row = std::ranges::find(kTable, epubType, &LandmarkInfo::epubType);
    return row == kTable.end() ? Landmark::None : row->landmark;
}

} // namespace EPub
