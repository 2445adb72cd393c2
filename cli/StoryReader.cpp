// SPDX-License-Identifier: MIT
#include "cli/StoryReader.h"

#include "cli/SvgCheck.h"
#include "epub/package/NameRules.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/ImageFile.h"
#include "host/render/RenderTags.h"
#include "host/text/AnchoredFrame.h"
#include "host/text/Glyph.h"
#include "host/text/Table.h"

#include <array>
#include <cmath>
#include <limits>

namespace Cli {

using EPub::IsPlainCssIdentifier;

using Foundation::Counted;
using Foundation::StringT;
using json = JsonValue;

namespace {

// The keys that say what a run object is; plain text runs have none of them.
// The largest length the document may give, in document units (about 35 m at 72 per inch).
constexpr double kMaxLength = 100000;
// Notes, frames and table cells hold text of their own, which may hold more of them: reading and
// writing them recurses, so a hostile depth would exhaust the stack.
constexpr int kMaxNesting = 32;

constexpr const char* kRunKinds[] = {"footnote",  "endnote", "sidenote", "anchor", "crossReference",
                                     "rangeNote", "image",   "svg",      "frame",  "table",
                                     "bullet",    "break",   "tab"};

} // namespace

Counted<const Text::Story>
StoryReader::Read(const Node& node, Counted<const Text::AnchorData> start, StoryMarks& marks) {
    Text::StoryBuilder builder(styles_);
    Context context{&builder, &marks, std::move(start)};
    rangeNotes_.clear();
    if (node.Has("paragraphs"))
        ReadParagraphs(node.Field("paragraphs"), context);
    if (context.pending)
        builder.Anchor(context.pending);
    for (const auto& [id, ends] : rangeNotes_) {
        if (ends.bodyPath.empty())
            in_.Fail(node, "range note \"" + id + "\" (referenced at " + ends.referencePath +
                               ") has no body in this story");
        if (ends.referencePath.empty())
            in_.Fail(node, "range note \"" + id + "\" (body at " + ends.bodyPath +
                               ") has no reference in this story");
    }
    Counted<const Text::Story> story = builder.Build();
    marks.Resolve(story);
    return story;
}

void StoryReader::ReadParagraphs(const Node& node, Context& context) {
    in_.ExpectArray(node);
    for (size_t i = 0; i < node.value.size(); ++i)
        ReadParagraph(node.Item(i), context);
}

void StoryReader::CheckStyle(const Node& node, Text::StyleKind kind) const {
    in_.Expect(node, json::value_t::string, "a style name");
    const std::string name = node.value.get<std::string>();
    if (name.empty())
        in_.Fail(node, "a style needs a name (leave the field out for none)");
    const auto style = styles_->GetStyle(StringT(name));
    if (!style)
        in_.Fail(node, "unknown style \"" + name + "\"");
    if (style->GetKind() != kind)
        in_.Fail(node, "style \"" + name + "\" is not a " +
                           (kind == Text::StyleKind::Paragraph ? "paragraph" : "character") +
                           " style");
}

Counted<Text::AnchorData> StoryReader::StartAnchor(Context& context, const std::string& name) {
    auto anchor = anchors_.MakeHidden(name);
    context.builder->Anchor(anchor);
    context.marks->anchors.push_back({anchor, {}});
    return anchor;
}

void StoryReader::ReadParagraph(const Node& node, Context& context) {
    Text::StoryBuilder& b = *context.builder;
    if (node.value.is_string()) {
        b.Paragraph();
        if (context.pending)
            b.Anchor(std::exchange(context.pending, nullptr));
        b.Text(node.value.get<std::string>());
        return;
    }
    in_.CheckFields(node, {"style", "paragraph", "character", "text", "runs", "anchor", "toc",
                           "page", "rangeNoteBody"});
    const std::string style = in_.String(node, "style");
    if (node.Has("style"))
        CheckStyle(node.Field("style"), Text::StyleKind::Paragraph);
    b.Paragraph(StringT(style), attributes_.ReadDelta(node, true));
    // The story's own start anchor comes first, so links to the story land before any other.
    if (context.pending)
        b.Anchor(std::exchange(context.pending, nullptr));
    if (node.Has("anchor")) {
        const auto anchor = anchors_.Define(in_, node.Field("anchor"));
        b.Anchor(anchor);
        context.marks->anchors.push_back({anchor, {}});
    }
    for (const char* key : {"toc", "page"})
        if (node.Has(key) && in_.String(node, key).empty())
            in_.Fail(node.Field(key),
                     std::string("a ") + (key[0] == 't' ? "table-of-contents entry needs a text"
                                                        : "page needs a label"));
    if (node.Has("toc"))
        context.marks->toc.push_back(
            {StartAnchor(context, "toc"), StringT(in_.String(node, "toc"))});
    if (node.Has("page"))
        context.marks->pages.push_back(
            {StartAnchor(context, "page"), StringT(in_.String(node, "page"))});
    if (node.Has("rangeNoteBody"))
        b.RangeNoteBody(RangeNote(node.Field("rangeNoteBody"), true, b));
    if (node.Has("text"))
        b.Text(in_.String(node, "text"));
    if (!node.Has("runs"))
        return;
    const Node runs = node.Field("runs");
    in_.ExpectArray(runs);
    for (size_t i = 0; i < runs.value.size(); ++i)
        ReadRun(runs.Item(i), context);
}

void StoryReader::ReadRun(const Node& node, Context& context) {
    Text::StoryBuilder& b = *context.builder;
    if (node.value.is_string()) {
        b.Text(node.value.get<std::string>());
        return;
    }
    in_.Expect(node, json::value_t::object, "a string or an object");
    // A run has few members: look each up among the kinds, not each kind among the members.
    std::array<bool, std::size(kRunKinds)> present{};
    for (const auto& member : node.value.items())
        for (size_t i = 0; i < present.size(); ++i)
            present[i] = present[i] || member.key == kRunKinds[i];
    std::string k;
    for (size_t i = 0; i < present.size(); ++i) {
        if (!present[i])
            continue;
        if (!k.empty())
            in_.Fail(node, "\"" + k + "\" and \"" + kRunKinds[i] + "\" cannot stand in one run");
        k = kRunKinds[i];
    }
    if (k == "footnote" || k == "endnote" || k == "sidenote")
        return ReadNote(node, context);
    if (k == "image" || k == "svg")
        return ReadImage(node, context);
    if (k == "frame")
        return ReadFrame(node, context);
    if (k == "table")
        return ReadTable(node, context);
    if (k == "bullet")
        return ReadBullet(node, context);
    if (k == "break" || k == "tab")
        return ReadBreak(node, context);
    if (k == "anchor") {
        in_.CheckFields(node, {"anchor", "role"});
        const auto anchor = anchors_.Define(in_, node.Field("anchor"));
        if (node.Has("role"))
            anchor->SetRole(StringT(in_.String(node, "role")));
        b.Anchor(anchor);
        context.marks->anchors.push_back({anchor, {}});
        return;
    }
    if (k == "crossReference") {
        in_.CheckFields(node, {"crossReference"});
        b.CrossReference(anchors_.Use(in_, node.Field("crossReference")));
        return;
    }
    if (k == "rangeNote") {
        in_.CheckFields(node, {"rangeNote"});
        b.RangeNoteReference(RangeNote(node.Field("rangeNote"), false, b));
        return;
    }
    in_.CheckFields(node, {"text", "style", "character"});
    const std::string style = in_.String(node, "style");
    if (node.Has("style"))
        CheckStyle(node.Field("style"), Text::StyleKind::Character);
    b.Text(in_.String(node, "text"), StringT(style), attributes_.ReadDelta(node, false));
}

void StoryReader::Enter(const Node& node) {
    if (++nested_ > kMaxNesting)
        in_.Fail(node, "notes, frames and tables are nested more than " +
                           std::to_string(kMaxNesting) + " deep");
}

Counted<const Text::Story> StoryReader::ReadNested(const Node& node, const std::string& style) {
    Text::StoryBuilder builder(styles_);
    if (node.value.is_string()) {
        builder.Paragraph(StringT(style)).Text(node.value.get<std::string>());
        return builder.Build();
    }
    StoryMarks marks;
    Context context{&builder, &marks, {}};
    Enter(node);
    ReadParagraphs(node, context);
    --nested_;
    CheckNoMarks(node, marks);
    return builder.Build();
}

// Links can only find what the main text of a story holds.
void StoryReader::CheckNoMarks(const Node& node, const StoryMarks& marks) const {
    if (!marks.anchors.empty() || !marks.toc.empty() || !marks.pages.empty())
        in_.Fail(node, "anchors, table-of-contents entries and pages belong in the main text of "
                       "a story, not in notes, frames or tables");
}

void StoryReader::ReadNote(const Node& node, Context& context) {
    const std::string key = node.Has("footnote")  ? "footnote"
                            : node.Has("endnote") ? "endnote"
                                                  : "sidenote";
    in_.CheckFields(node, {key, "style"});
    const std::string style = in_.String(node, "style");
    if (node.Has("style"))
        CheckStyle(node.Field("style"), Text::StyleKind::Paragraph);
    const Text::NoteKind kind = key == "footnote"  ? Text::NoteKind::Footnote
                                : key == "endnote" ? Text::NoteKind::Endnote
                                                   : Text::NoteKind::Sidenote;
    context.builder->Note(kind, ReadNested(node.Field(key), style));
}

Counted<const Text::RangeNote> StoryReader::RangeNote(const Node& node, bool body,
                                                      const Text::StoryBuilder& builder) {
    if (nested_ > 0)
        in_.Fail(node, "range notes belong in the main text of a story");
    in_.Expect(node, json::value_t::string, "a range-note name");
    const std::string id = node.value.get<std::string>();
    RangeNoteEnds& ends = rangeNotes_[id];
    std::string& path = body ? ends.bodyPath : ends.referencePath;
    if (!path.empty())
        in_.Fail(node, "range note \"" + id + "\" already has its " +
                           (body ? "body at " : "reference at ") + path);
    path = node.Path();
    if (!ends.note)
        ends.note =
            Text::RangeNote::Make(StringT(id), builder.MakeNoteSettings(Text::NoteKind::Endnote));
    return ends.note;
}

void StoryReader::ReadImage(const Node& node, Context& context) {
    const bool svg = node.Has("svg");
    const std::string key = svg ? "svg" : "image";
    in_.CheckFields(node, {key, "width", "height", "alt", "description", "summary", "class",
                           "summaryStyle", "descriptionStyle"});
    const Node file = node.Field(key);
    const auto path = in_.ExistingFile(file);
    if (!svg && !Raster::DecodeImage(in_.ReadFile(file)))
        in_.Fail(file, "\"" + path.string() + "\" is not a JPEG, PNG or GIF image");
    if (svg)
        if (const std::string problem = SvgProblem(in_.ReadFile(file)); !problem.empty())
            in_.Fail(file, "\"" + path.string() + "\" cannot be used: " + problem);
    Text::FrameSettings frame;
    frame.name = StringT(path.stem().string());
    frame.contentPath = StringT(path.string());
    frame.width = in_.Number(node, "width", 0);
    frame.height = in_.Number(node, "height", 0);
    if (!(frame.width > 0) || !(frame.height > 0) || frame.width > kMaxLength ||
        frame.height > kMaxLength)
        in_.Fail(node, "a picture needs a \"width\" and \"height\" greater than 0 and at most " +
                           std::to_string(static_cast<int>(kMaxLength)));
    for (const char* style : {"summaryStyle", "descriptionStyle"})
        if (node.Has(style))
            CheckStyle(node.Field(style), Text::StyleKind::Character);
    if (node.Has("alt") || node.Has("description") || node.Has("class")) {
        Render::RenderTags::Fields tags;
        tags.altText = StringT(in_.String(node, "alt"));
        tags.description = StringT(in_.String(node, "description"));
        tags.summaryText = StringT(in_.String(node, "summary"));
        tags.className = StringT(in_.String(node, "class"));
        if (node.Has("class") && !IsPlainCssIdentifier(tags.className.view()))
            in_.Fail(node.Field("class"), "\"" + tags.className.str() +
                                              "\" is not a CSS class name (a letter or \"_\", "
                                              "then letters, digits, \"-\" and \"_\")");
        tags.summaryStyle = StringT(in_.String(node, "summaryStyle"));
        tags.descriptionStyle = StringT(in_.String(node, "descriptionStyle"));
        frame.tags = Render::RenderTags::Make(std::move(tags));
    }
    context.builder->Frame(std::move(frame));
}

void StoryReader::ReadFrame(const Node& node, Context& context) {
    in_.CheckFields(node, {"frame"});
    const Node body = node.Field("frame");
    in_.CheckFields(body, {"width", "height", "paragraphs", "background", "border"});
    Text::FrameSettings frame;
    frame.width = in_.Number(body, "width", 0);
    frame.height = in_.Number(body, "height", 0);
    if (!(frame.width > 0) || !(frame.height > 0) || frame.width > kMaxLength ||
        frame.height > kMaxLength)
        in_.Fail(body, "a frame needs a \"width\" and \"height\" greater than 0 and at most " +
                           std::to_string(static_cast<int>(kMaxLength)));
    if (body.Has("background"))
        frame.background = attributes_.ReadFill(body.Field("background"));
    if (body.Has("border")) {
        const Text::BorderFormat border = attributes_.ReadBorder(body.Field("border"));
        frame.strokeFill = border.fill;
        frame.stroke = border.lineStyle;
    }
    frame.story = ReadNested(in_.Required(body, "paragraphs"), {});
    context.builder->Frame(std::move(frame));
}

void StoryReader::ReadTable(const Node& node, Context& context) {
    in_.CheckFields(node, {"table"});
    const Node body = node.Field("table");
    in_.CheckFields(body, {"columns", "rowHeights", "headerRows", "footerRows", "headerColumns",
                           "format", "rows"});
    const Node widths = in_.Required(body, "columns");
    const Node rows = in_.Required(body, "rows");
    in_.ExpectArray(widths);
    in_.ExpectArray(rows);
    const auto columnCount = static_cast<int32_t>(widths.value.size());
    const auto rowCount = static_cast<int32_t>(rows.value.size());
    if (columnCount == 0 || rowCount == 0)
        in_.Fail(body, "a table needs at least one column and one row");

    Text::TableSettings settings;
    settings.size = {columnCount, rowCount};
    const auto length = [&](const Node& item) {
        const double value = in_.Length(item);
        if (value > kMaxLength)
            in_.Fail(item, "must be at most " + std::to_string(static_cast<int>(kMaxLength)));
        return value;
    };
    for (size_t i = 0; i < widths.value.size(); ++i)
        settings.columnWidths.push_back(length(widths.Item(i)));
    if (body.Has("rowHeights")) {
        const Node heights = body.Field("rowHeights");
        in_.ExpectArray(heights);
        if (heights.value.size() != rows.value.size())
            in_.Fail(heights, "needs one height per row");
        for (size_t i = 0; i < heights.value.size(); ++i)
            settings.rowHeights.push_back(length(heights.Item(i)));
    }
    settings.headerRows = in_.Integer(body, "headerRows", 0, 0, rowCount);
    settings.footerRows = in_.Integer(body, "footerRows", 0, 0, rowCount);
    settings.headerColumns = in_.Integer(body, "headerColumns", 0, 0, columnCount);
    if (settings.headerRows + settings.footerRows > rowCount)
        in_.Fail(body, "\"headerRows\" and \"footerRows\" together exceed the " +
                           std::to_string(rowCount) + " row(s) of the table");
    if (body.Has("format"))
        settings.format = ReadTableFormat(body.Field("format"));

    const std::vector<CellPlace> cells = PlaceCells(rows, columnCount, settings);
    try {
        Text::TableBuilder table(styles_, columnCount, rowCount);
        table.Settings() = std::move(settings);
        for (const CellPlace& cell : cells)
            ReadCell(cell, table);
        context.builder->Table(table.Build());
    } catch (const std::invalid_argument& e) {
        in_.Fail(body, e.what());
    }
}

Counted<const Text::TableFormat> StoryReader::ReadTableFormat(const Node& node) const {
    in_.CheckFields(node,
                    {"fill", "headerFill", "footerFill", "alternateFill", "border", "innerBorder"});
    Text::TableFormatSettings format;
    const auto fill = [&](const char* key) {
        return node.Has(key) ? attributes_.ReadFill(node.Field(key))
                             : Counted<const Render::FillDescriptor>();
    };
    format.cellFill = fill("fill");
    format.headerFill = fill("headerFill");
    format.footerFill = fill("footerFill");
    format.alternateRowFill = fill("alternateFill");
    if (node.Has("border"))
        format.outer = attributes_.ReadBorder(node.Field("border"));
    format.innerHorizontal = format.innerVertical =
        node.Has("innerBorder") ? attributes_.ReadBorder(node.Field("innerBorder")) : format.outer;
    return Text::TableFormat::Make(std::move(format));
}

// Cells fill each row from the left, skipping positions that a cell above spans into, as in
// HTML; spans become the table's merges.
std::vector<StoryReader::CellPlace> StoryReader::PlaceCells(const Node& rows, int32_t columns,
                                                            Text::TableSettings& settings) const {
    const auto rowCount = static_cast<int32_t>(rows.value.size());
    std::vector<bool> taken(static_cast<size_t>(columns) * static_cast<size_t>(rowCount));
    const auto at = [&](int32_t c, int32_t r) {
        return taken[static_cast<size_t>(r) * static_cast<size_t>(columns) +
                     static_cast<size_t>(c)];
    };
    std::vector<CellPlace> cells;
    for (int32_t r = 0; r < rowCount; ++r) {
        const Node row = rows.Item(static_cast<size_t>(r));
        in_.ExpectArray(row);
        int32_t c = 0;
        for (size_t i = 0; i < row.value.size(); ++i) {
            const Node cell = row.Item(i);
            while (c < columns && at(c, r))
                ++c;
            if (c >= columns)
                in_.Fail(cell, "the row has more cells than the table has columns");
            Text::CellSpan span;
            if (cell.value.is_object()) {
                span.columns = in_.Integer(cell, "columns", 1, 1, columns - c);
                span.rows = in_.Integer(cell, "rows", 1, 1, rowCount - r);
            }
            for (int32_t dr = 0; dr < span.rows; ++dr)
                for (int32_t dc = 0; dc < span.columns; ++dc) {
                    if (at(c + dc, r + dr))
                        in_.Fail(cell, "the cell overlaps another cell's span");
                    at(c + dc, r + dr) = true;
                }
            if (span.columns > 1 || span.rows > 1)
                settings.merges.push_back({c, r, span});
            cells.push_back({in_.Detach(cell), c, r});
            c += span.columns;
        }
    }
    return cells;
}

void StoryReader::ReadCell(const CellPlace& place, Text::TableBuilder& table) {
    Text::StoryBuilder& cell = table.Cell(place.column, place.row);
    const Node& node = place.node;
    if (node.value.is_string()) {
        cell.Text(node.value.get<std::string>());
        return;
    }
    in_.CheckFields(node, {"text", "paragraphs", "columns", "rows", "fill", "border"});
    if (node.Has("fill") || node.Has("border")) {
        Text::CellFormatOverride own;
        if (node.Has("fill"))
            own.fill = attributes_.ReadFill(node.Field("fill"));
        if (node.Has("border"))
            own.borders.fill(attributes_.ReadBorder(node.Field("border")));
        table.Settings().overrides.push_back({place.column, place.row, std::move(own)});
    }
    if (node.Has("text"))
        cell.Text(in_.String(node, "text"));
    if (!node.Has("paragraphs"))
        return;
    StoryMarks marks;
    Context context{&cell, &marks, {}};
    Enter(node);
    ReadParagraphs(node.Field("paragraphs"), context);
    --nested_;
    CheckNoMarks(node, marks);
}

void StoryReader::ReadBullet(const Node& node, Context& context) {
    in_.CheckFields(node, {"bullet"});
    const Node body = node.Field("bullet");
    in_.CheckFields(body, {"image", "width", "height", "baseline"});
    const Node file = in_.Required(body, "image");
    auto bitmap = Raster::DecodeImage(in_.ReadFile(file));
    if (!bitmap)
        in_.Fail(file, "not a JPEG, PNG or GIF image");
    const Text::ImageBounds bounds{0, 0, in_.Number(body, "width", 1),
                                   in_.Number(body, "height", 1)};
    if (!(bounds.width > 0) || !(bounds.height > 0) || bounds.width > 100 || bounds.height > 100)
        in_.Fail(body, "a bullet picture needs a size greater than 0 and at most 100 (in ems)");
    if (const double baseline = in_.Number(body, "baseline", 0); !(std::abs(baseline) <= 100))
        in_.Fail(body.Field("baseline"), "must be between -100 and 100 (in ems)");
    context.builder->Object(Text::ImageBulletGlyph::Make(
        Text::BulletImage::Make(bounds, in_.Number(body, "baseline", 0), std::move(bitmap),
                                StringT(in_.ExistingFile(file).string()))));
}

void StoryReader::ReadBreak(const Node& node, Context& context) {
    if (node.Has("tab")) {
        in_.CheckFields(node, {"tab"});
        const std::string kind = in_.String(node, "tab");
        if (kind == "indentToHere")
            context.builder->IndentToHere();
        else if (kind == "rightIndent")
            context.builder->RightIndentTab();
        else
            in_.Fail(node.Field("tab"), "expected \"indentToHere\" or \"rightIndent\"");
        return;
    }
    in_.CheckFields(node, {"break"});
    static const std::map<std::string, Text::BreakKind> kinds{
        {"line", Text::BreakKind::Line},       {"frame", Text::BreakKind::Frame},
        {"column", Text::BreakKind::Column},   {"page", Text::BreakKind::Page},
        {"oddPage", Text::BreakKind::OddPage}, {"evenPage", Text::BreakKind::EvenPage},
        {"section", Text::BreakKind::Section}};
    const std::string name = in_.String(node, "break");
    const auto it = kinds.find(name);
    if (it == kinds.end())
        in_.Fail(node.Field("break"), "unknown break \"" + name +
                                          "\" (line, frame, column, page, oddPage, evenPage, "
                                          "section)");
    context.builder->Break(it->second);
}

} // namespace Cli
