// SPDX-License-Identifier: MIT
#pragma once
// The render tree of one page: groups, vector shapes, glyph runs, bitmaps and hyperlink areas,
// and the schema through which an export target says what it can draw natively.

#include "host/foundation/Counted.h"
#include "host/foundation/StringT.h"
#include "host/raster/DynamicBitmap.h"
#include "host/raster/FileType.h"
#include "host/raster/ICCProfileSet.h"
#include "host/render/AffineTransform.h"
#include "host/render/ExportOptions.h"
#include "host/render/Fill.h"
#include "host/render/LineStyle.h"
#include "host/render/Path.h"
#include "host/render/RenderTags.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Render {

using Foundation::Counted;
using Foundation::StringT;

enum class BlendMode : int32_t { Normal = 0, Multiply, Screen, Overlay, Darken, Lighten };

// The kinds of logical group a renderer announces to its target.
// A paragraph group is a story's paragraph (or a heading, by the group's `heading`) as set in
// one frame.
enum class LogicalGroup : int32_t { None = 0, Element = 1, Ordered = 2, Paragraph = 3 };

// Reading-order position of a logical group; i -1 means "unordered".
struct OrderTags {
    bool present = false;
    int32_t i = -1;
    int32_t j = -1;
    bool reversed = false;
};

// Set by another thread to stop a drawing; polled between nodes.
class Abortable {
public:
    explicit Abortable(const bool* flag = nullptr) : abort_(flag) {}
    bool IsAborted() const noexcept { return abort_ && *abort_; }
    const bool* GetAbortFlag() const noexcept { return abort_; }

private:
    const bool* abort_;
};

enum class NodeKind : uint8_t { Group, Shape, GlyphRun, Bitmap, Hyperlink };

class Node : public Foundation::Countable {
public:
    explicit Node(NodeKind kind) : kind_(kind) {}
    NodeKind Kind() const noexcept { return kind_; }
    // Maps the node's own coordinates into its parent's.
    AffineTransform transform;

private:
    NodeKind kind_;
};

class GroupNode final : public Node {
public:
    GroupNode() : Node(NodeKind::Group) {}
    std::vector<Counted<const Node>> children;
    double opacity = 1;
    BlendMode blend = BlendMode::Normal;
    std::optional<Path> clip; // in the group's coordinates
    LogicalGroup logical = LogicalGroup::None;
    OrderTags order;
    // A described group: alt text is the label, description the title.
    Counted<const RenderTags> tags;
    bool hidden = false; // a hidden layer: kept in the document, not shown
    int32_t heading = 0; // of a paragraph group: 1 to 6 for a heading of that level
};

// Linear gradients run from `start` to `end`; radial ones from `start` with `radius`.
struct GradientGeometry {
    Foundation::PointT<double> start;
    Foundation::PointT<double> end;
    double radius = 0;
};

class ShapeNode final : public Node {
public:
    ShapeNode() : Node(NodeKind::Shape) {}
    Path path;
    Counted<const FillDescriptor> fill;   // null or None: unfilled
    GradientGeometry gradient;            // for gradient fills, in the shape's coordinates
    Counted<const FillDescriptor> stroke; // null or None: unstroked
    Counted<const LineStyleDescriptor> lineStyle;
    double opacity = 1;
};

struct PositionedGlyph {
    uint32_t id = 0;
    double x = 0; // from the run's origin, in the run's coordinates
    double y = 0;
};

// Where in the text model a run's text came from.
struct StoryPosition {
    int32_t story = -1;
    int64_t offset = 0;
    int32_t line = -1; // runs of one composed line share it
};

// How a run sits in a vertical line, which goes down from the run's origin on the line's centre:
// upright glyphs one below the other, a horizontal run turned a quarter clockwise, or a few
// characters set across the line within one em.
enum class VerticalForm : uint8_t { None = 0, Upright, Sideways, Combined };

class GlyphRunNode final : public Node {
public:
    GlyphRunNode() : Node(NodeKind::GlyphRun) {}
    // The face: file, index in it and the names a reading system finds it by.
    StringT fontPath;
    uint32_t faceIndex = 0;
    StringT family;
    int weight = 400;
    bool italic = false;
    double size = 12;
    // Font-unit metrics of the face, scaled by size/unitsPerEm where needed.
    double ascent = 0.8;               // fraction of the size
    double descent = 0.2;              // fraction of the size, positive
    Foundation::PointT<double> origin; // baseline start
    std::vector<PositionedGlyph> glyphs;
    std::string text;         // UTF-8, what the glyphs spell
    double advance = 0;       // of the whole run, spacing included
    double letterSpacing = 0; // extra advance after every character
    double wordSpacing = 0;   // extra advance after every space
    Counted<const FillDescriptor> fill;
    Counted<const FillDescriptor> stroke;
    Counted<const LineStyleDescriptor> lineStyle;
    double opacity = 1;
    BlendMode blend = BlendMode::Normal;
    StoryPosition story;
    StringT language;
    bool rightToLeft = false; // the direction its text is read in (glyphs are in visual order)
    // What the text has after the run when a line ends with it: the spaces the line break
    // swallowed (" "), or "\n" for a forced break. Nothing draws it; copied or read aloud, it
    // keeps the last word of one line from running into the first of the next.
    std::string lineEnd;
    // Its text ends in the hyphen a line break added, which is drawn but is no part of the text.
    bool breakHyphen = false;
    // In a vertical line, `advance` runs down it, and glyph positions are in the run's own
    // orientation: turned for Sideways, across the line (squeezed to fit one em) for Combined.
    VerticalForm vertical = VerticalForm::None;
    double squeeze = 1; // horizontal scale of a Combined run
    double Width() const { return advance; }
};

class BitmapNode final : public Node {
public:
    BitmapNode() : Node(NodeKind::Bitmap) {}
    Counted<const Raster::DynamicBitmap> bitmap; // null for vector images
    // The file as given: stored unchanged when the export can use it.
    std::string encoded;
    Raster::FileType fileType = Raster::FileType::Unknown;
    StringT sourceName;
    Foundation::RectT<double> rect; // where the image lands, in the node's coordinates
    StringT alt;
    double opacity = 1;
};

class HyperlinkNode final : public Node {
public:
    HyperlinkNode() : Node(NodeKind::Hyperlink) {}
    Foundation::RectT<double> rect;
    StringT url;         // external target
    uint32_t page = 0;   // 1-based page of the publication, 0 for a URL
    uint32_t anchor = 0; // a numbered place on `page`; with no page and no URL, this is that place
};

// Answers about content; 0 means the target draws it natively.
namespace GraphicSupport {
using Type = uint32_t;
inline constexpr Type Native = 0;
inline constexpr Type Rasterise = 1;
inline constexpr Type UsesBackdrop = 8;
} // namespace GraphicSupport

enum class SubRenderSupport : int32_t { Native = 0, Rasterise = 1 };

// The colour format an export writes.
enum class ColourFormat : int32_t { RGB8 = 0, RGBA8 = 2, CMYK8 = 3 };

class RenderTree {
public:
    // What a target can draw; the base answers "everything" at the document resolution.
    class Schema : public Foundation::Countable, public Abortable {
    public:
        explicit Schema(const bool* abortFlag = nullptr) : Abortable(abortFlag) {}

        virtual Counted<Schema> Clone() const { return Foundation::MakeCounted<Schema>(*this); }

        void PushOptions(Counted<const FileExportOptions> options);
        void PopOptions();
        const std::vector<Counted<const FileExportOptions>>& GetOptionsStack() const noexcept {
            return options_;
        }
        virtual void UpdateOptions() {}

        // Document units per inch: points.
        double GetDocumentResolution() const noexcept { return documentResolution_; }
        void SetDocumentResolution(double dpi) noexcept { documentResolution_ = dpi; }
        // Raster pixels per document unit for content that is rasterised: the rasterise
        // resolution of the innermost vector options that use one, else 1.
        double GetRasterScale() const;
        double GetDeviceRasterScale() const { return GetRasterScale(); }

        ColourFormat GetColourFormat() const noexcept { return format_; }
        const Raster::ICCProfileSet& GetProfiles() const noexcept { return profiles_; }
        virtual void SetExportColourFormatAndProfilesFrom(ColourFormat format,
                                                          const Raster::ICCProfileSet& profiles) {
            format_ = format;
            profiles_ = profiles;
        }

        virtual GraphicSupport::Type GetBlendModeSupport(BlendMode, double) const { return 0; }
        virtual GraphicSupport::Type GetRasterEffectSupport(const Node&) const { return 0; }
        virtual SubRenderSupport GetSubRenderSupport(const Node&) const {
            return SubRenderSupport::Native;
        }
        virtual GraphicSupport::Type GetVectorSupport(const Node&) const { return 0; }
        virtual GraphicSupport::Type GetBitmapSupport(const BitmapNode&) const { return 0; }
        virtual GraphicSupport::Type GetCompositeSupport(const GroupNode&) const { return 0; }
        virtual bool CanDrawAsImage(const ShapeNode&) const { return false; }
        virtual Counted<const FillDescriptor> FilterFill(Counted<const FillDescriptor> fill) const {
            return fill;
        }
        virtual bool IsPreserveGroup(const GroupNode& group) const {
            return !group.children.empty();
        }
        virtual bool Reduce(GroupNode&) { return true; }
        virtual bool IsClipToDevice() const { return false; }
        virtual bool IsClipToClipPath() const { return false; }
        virtual bool IsClipWholeTextFrames() const { return false; }
        virtual bool IsRasterWithHiddenText() const { return false; }
        virtual bool IsClipPathSupported() const { return true; }
        virtual bool IsClipPathGroupSupported() const { return true; }
        virtual bool IsPreserveDescriptions() const { return true; }
        virtual bool IsTagging() const { return false; }
        // Text the target can place as text: a solid fill and no stroke.
        virtual bool IsTextSupported(const GlyphRunNode& run) const;

    private:
        std::vector<Counted<const FileExportOptions>> options_;
        double documentResolution_ = 72.0;
        ColourFormat format_ = ColourFormat::RGB8;
        Raster::ICCProfileSet profiles_;
    };
};

} // namespace Render

namespace Render {
// The area the node paints, in the coordinates `parent` maps to; empty (all zero) when it
// paints nothing.
Foundation::RectT<double> NodeBounds(const Node& node, const AffineTransform& parent);
bool IsEmptyRect(const Foundation::RectT<double>& r);
Foundation::RectT<double> Union(const Foundation::RectT<double>& a,
                                const Foundation::RectT<double>& b);
Foundation::RectT<double> Intersect(const Foundation::RectT<double>& a,
                                    const Foundation::RectT<double>& b);
} // namespace Render
