// SPDX-License-Identifier: MIT
#include "hostimpl/render/CairoPainter.h"

#include "hostimpl/foundation/FontFreeType.h"
#include "hostimpl/render/RsvgLibrary.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <memory>

namespace Render::Cairo {
namespace {

// False, leaving the context as it was, for a transform that flattens everything it draws: cairo
// would put the context in error and draw nothing more on the page.
bool SetMatrix(cairo_t* cr, const AffineTransform& t) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.m[0], t.m[3], t.m[1], t.m[4], t.m[2], t.m[5]);
    cairo_matrix_t inverse = m;
    if (cairo_matrix_invert(&inverse) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_set_matrix(cr, &m);
    return true;
}

void AppendPath(cairo_t* cr, const Path& path) {
    for (const auto& s : path.Segments()) {
        switch (s.kind) {
        case PathSegment::Kind::Move:
            cairo_move_to(cr, s.p[0].x, s.p[0].y);
            break;
        case PathSegment::Kind::Line:
            cairo_line_to(cr, s.p[0].x, s.p[0].y);
            break;
        case PathSegment::Kind::Curve:
            cairo_curve_to(cr, s.p[0].x, s.p[0].y, s.p[1].x, s.p[1].y, s.p[2].x, s.p[2].y);
            break;
        case PathSegment::Kind::Close:
            cairo_close_path(cr);
            break;
        }
    }
}

void AddStop(cairo_pattern_t* p, double offset, const Colour& c, double opacity,
             const Raster::ICCProfileSet& profiles) {
    const auto rgba = profiles.ToRGBA8(c);
    cairo_pattern_add_color_stop_rgba(p, offset, rgba.r / 255.0, rgba.g / 255.0, rgba.b / 255.0,
                                      rgba.a / 255.0 * opacity);
}

// The picture placed in the shape's user space; a fill of less than full opacity goes through
// a group, as a surface pattern carries no alpha of its own.
bool SetBitmapSource(cairo_t* cr, const BitmapFill& picture, double alpha) {
    if (!picture.bitmap || picture.bitmap->Width() == 0 || picture.bitmap->Height() == 0)
        return false;
    cairo_surface_t* surface = MakeSurface(*picture.bitmap);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    cairo_surface_destroy(surface);
    const AffineTransform toPixels = picture.placement.Inverse();
    cairo_matrix_t m;
    cairo_matrix_init(&m, toPixels.m[0], toPixels.m[3], toPixels.m[1], toPixels.m[4], toPixels.m[2],
                      toPixels.m[5]);
    cairo_pattern_set_matrix(pattern, &m);
    cairo_pattern_set_extend(pattern, picture.tiled ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_NONE);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_GOOD);
    if (alpha >= 1 - 1e-6) {
        cairo_set_source(cr, pattern);
        cairo_pattern_destroy(pattern);
        return true;
    }
    // Fade the picture: paint it at `alpha` into a group that becomes the source.
    cairo_save(cr);
    cairo_push_group(cr);
    cairo_set_source(cr, pattern);
    cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_t* faded = cairo_pop_group(cr);
    cairo_restore(cr);
    cairo_set_source(cr, faded);
    cairo_pattern_destroy(faded);
    cairo_pattern_destroy(pattern);
    return true;
}

// Sets the fill as the source; false when it paints nothing.
bool SetSource(cairo_t* cr, const FillDescriptor* fill, const GradientGeometry& g, double opacity,
               const Raster::ICCProfileSet& profiles) {
    if (!fill || fill->Type() == FillType::None)
        return false;
    const double alpha = opacity * fill->Opacity();
    if (fill->IsSolid()) {
        if (!fill->GetColour())
            return false;
        const auto rgba = profiles.ToRGBA8(*fill->GetColour());
        cairo_set_source_rgba(cr, rgba.r / 255.0, rgba.g / 255.0, rgba.b / 255.0,
                              rgba.a / 255.0 * alpha);
        return true;
    }
    if (const BitmapFill* picture = fill->GetBitmap())
        return SetBitmapSource(cr, *picture, alpha);
    if (fill->Type() != FillType::LinearGradient && fill->Type() != FillType::RadialGradient)
        return false;
    cairo_pattern_t* p =
        fill->Type() == FillType::LinearGradient
            ? cairo_pattern_create_linear(g.start.x, g.start.y, g.end.x, g.end.y)
            : cairo_pattern_create_radial(g.start.x, g.start.y, 0, g.start.x, g.start.y, g.radius);
    for (const auto& stop : fill->Stops())
        if (stop.colour)
            AddStop(p, stop.position, *stop.colour, alpha, profiles);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
    return true;
}

cairo_operator_t Operator(BlendMode mode) {
    switch (mode) {
    case BlendMode::Multiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::Screen:
        return CAIRO_OPERATOR_SCREEN;
    case BlendMode::Overlay:
        return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::Darken:
        return CAIRO_OPERATOR_DARKEN;
    case BlendMode::Lighten:
        return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::Normal:
        break;
    }
    return CAIRO_OPERATOR_OVER;
}

void PaintShape(cairo_t* cr, const ShapeNode& shape, const AffineTransform& world,
                const Raster::ICCProfileSet& profiles) {
    if (!SetMatrix(cr, world))
        return;
    cairo_new_path(cr);
    AppendPath(cr, shape.path);
    if (SetSource(cr, shape.fill.get(), shape.gradient, shape.opacity, profiles))
        cairo_fill_preserve(cr);
    if (shape.lineStyle && IsLineStyleVisible(shape.lineStyle.get()) &&
        SetSource(cr, shape.stroke.get(), shape.gradient, shape.opacity, profiles)) {
        cairo_set_line_width(cr, shape.lineStyle->EffectiveWeight());
        const auto& pattern = shape.lineStyle->Pattern();
        if (!pattern.empty())
            cairo_set_dash(cr, pattern.data(), static_cast<int>(pattern.size()), 0);
        else
            cairo_set_dash(cr, nullptr, 0, 0);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

struct FontFace {
    cairo_font_face_t* face = nullptr;
    ~FontFace() {
        if (face)
            cairo_font_face_destroy(face);
    }
};

// Glyphs stretched past any bitmap we draw, along either axis, cannot show a thing, nor can
// glyphs squashed under a pixel's width; FreeType refuses such sizes and the cairo context
// stays in error from then on, losing what it allocated for the rest of the page.
bool OutsideDrawableSizes(const GlyphRunNode& run, const AffineTransform& world) {
    constexpr double kLargestPixels = 65536;
    constexpr double kSmallestPixels = 1.0 / 64; // FreeType's 26.6 unit
    const auto& m = world.m;
    // The Frobenius norm bounds the largest stretch from above within a factor of sqrt 2, and
    // the determinant over it bounds the smallest from below.
    const double largest = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[3] * m[3] + m[4] * m[4]);
    const double smallest = largest > 0 ? std::abs(m[0] * m[4] - m[1] * m[3]) / largest : 0;
    return !(run.size * largest <= kLargestPixels) || !(run.size * smallest >= kSmallestPixels);
}

// What a colour face's cairo face holds on to until cairo lets it go.
struct OwnedFreeType {
    Foundation::FreeType::Library library;
    Foundation::FreeType::Face face;
};

// A face with colour glyphs (emoji bitmaps) as cairo draws them in colour: cairo's own pattern
// loading leaves out FreeType's colour flag and draws nothing for them. Null for other faces.
cairo_font_face_t* ColourFontFace(const GlyphRunNode& run) {
    auto owned = std::make_unique<OwnedFreeType>();
    owned->library = Foundation::FreeType::OpenLibrary();
    if (!owned->library)
        return nullptr;
    owned->face = Foundation::FreeType::OpenFileFace(owned->library, run.fontPath.c_str(),
                                                     static_cast<long>(run.faceIndex));
    if (!owned->face || !FT_HAS_COLOR(owned->face.get()))
        return nullptr;
    cairo_font_face_t* face =
        cairo_ft_font_face_create_for_ft_face(owned->face.get(), FT_LOAD_COLOR);
    static const cairo_user_data_key_t key{};
    const cairo_status_t status = cairo_font_face_set_user_data(
        face, &key, owned.get(), [](void* p) { delete static_cast<OwnedFreeType*>(p); });
    if (status != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        return nullptr;
    }
    owned.release(); // cairo's now
    return face;
}

cairo_font_face_t* FontFaceOf(const GlyphRunNode& run) {
    if (cairo_font_face_t* colour = ColourFontFace(run))
        return colour;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(run.fontPath.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, static_cast<int>(run.faceIndex));
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern);
    return face;
}

// From the run's own coordinates, where its glyphs are placed, to its parent's.
AffineTransform RunPlacement(const GlyphRunNode& run) {
    const AffineTransform origin = AffineTransform::Translate(run.origin.x, run.origin.y);
    switch (run.vertical) {
    case VerticalForm::Sideways:
        return origin * AffineTransform{{0, -1, 0, 1, 0, 0}}; // a quarter turn clockwise
    case VerticalForm::Combined:
        return origin * AffineTransform::Scale(run.squeeze, 1);
    default:
        return origin;
    }
}

void PaintGlyphs(cairo_t* cr, const GlyphRunNode& run, const AffineTransform& world,
                 const Raster::ICCProfileSet& profiles) {
    const AffineTransform placed = world * RunPlacement(run);
    if (run.glyphs.empty() || OutsideDrawableSizes(run, placed))
        return;
    if (!SetMatrix(cr, placed))
        return;
    FontFace font{FontFaceOf(run)};
    cairo_set_font_face(cr, font.face);
    cairo_set_font_size(cr, run.size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(run.glyphs.size());
    for (const auto& g : run.glyphs)
        glyphs.push_back({g.id, g.x, g.y});
    const GradientGeometry none;
    if (SetSource(cr, run.fill.get(), none, run.opacity, profiles))
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    if (run.lineStyle && SetSource(cr, run.stroke.get(), none, run.opacity, profiles)) {
        cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        cairo_set_line_width(cr, run.lineStyle->EffectiveWeight());
        cairo_stroke(cr);
    }
    cairo_set_font_face(cr, nullptr);
}

void PaintBitmap(cairo_t* cr, const BitmapNode& node, const AffineTransform& world) {
    const auto& r = node.rect;
    if (node.fileType == Raster::FileType::SVG) {
        cairo_push_group(cr);
        PaintSvg(cr, node.encoded, r, world);
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, node.opacity);
        return;
    }
    if (!node.bitmap || node.bitmap->Width() == 0 || node.bitmap->Height() == 0)
        return;
    if (!SetMatrix(cr, world * AffineTransform::Translate(r.left, r.top) *
                           AffineTransform::Scale(r.Width() / node.bitmap->Width(),
                                                  r.Height() / node.bitmap->Height())))
        return;
    cairo_surface_t* surface = MakeSurface(*node.bitmap);
    cairo_set_source_surface(cr, surface, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, 0, node.bitmap->Width(), node.bitmap->Height());
    cairo_clip(cr);
    cairo_paint_with_alpha(cr, node.opacity);
    cairo_reset_clip(cr);
    cairo_surface_destroy(surface);
}

void PaintGroup(cairo_t* cr, const GroupNode& group, const AffineTransform& world,
                const Raster::ICCProfileSet& profiles) {
    if (group.hidden)
        return;
    cairo_save(cr);
    if (group.clip) {
        if (!SetMatrix(cr, world)) { // a flat clip shows nothing
            cairo_restore(cr);
            return;
        }
        cairo_new_path(cr);
        AppendPath(cr, *group.clip);
        cairo_clip(cr);
    }
    const bool composite = group.opacity < 1 - 1e-6 || group.blend != BlendMode::Normal;
    if (composite)
        cairo_push_group(cr);
    for (const auto& child : group.children)
        Paint(cr, *child, world, profiles);
    if (composite) {
        cairo_pop_group_to_source(cr);
        cairo_identity_matrix(cr);
        cairo_set_operator(cr, Operator(group.blend));
        cairo_paint_with_alpha(cr, group.opacity);
    }
    cairo_restore(cr);
}

} // namespace

void Paint(cairo_t* cr, const Node& node, const AffineTransform& parent,
           const Raster::ICCProfileSet& profiles) {
    const AffineTransform world = parent * node.transform;
    switch (node.Kind()) {
    case NodeKind::Group:
        PaintGroup(cr, static_cast<const GroupNode&>(node), world, profiles);
        break;
    case NodeKind::Shape:
        PaintShape(cr, static_cast<const ShapeNode&>(node), world, profiles);
        break;
    case NodeKind::GlyphRun:
        PaintGlyphs(cr, static_cast<const GlyphRunNode&>(node), world, profiles);
        break;
    case NodeKind::Bitmap:
        PaintBitmap(cr, static_cast<const BitmapNode&>(node), world);
        break;
    case NodeKind::Hyperlink:
        break;
    }
}

namespace {
struct SvgHandle {
    const RsvgLibrary& rsvg = RsvgLibrary::Get();
    RsvgHandle* handle = nullptr;
    explicit SvgHandle(std::string_view svg) {
        if (rsvg.IsLoaded())
            handle =
                rsvg.newFromData(reinterpret_cast<const guint8*>(svg.data()), svg.size(), nullptr);
    }
    ~SvgHandle() {
        if (handle)
            rsvg.unref(handle);
    }
};
} // namespace

std::optional<Foundation::SizeT<double>> SvgSize(std::string_view svg) {
    SvgHandle h(svg);
    if (!h.handle)
        return std::nullopt;
    double w = 0, hgt = 0;
    if (!h.rsvg.intrinsicSizeInPixels(h.handle, &w, &hgt) || w <= 0 || hgt <= 0) {
        RsvgRectangle viewbox;
        gboolean hasViewbox = false;
        h.rsvg.intrinsicDimensions(h.handle, nullptr, nullptr, nullptr, nullptr, &hasViewbox,
                                   &viewbox);
        if (!hasViewbox)
            return Foundation::SizeT<double>{100, 100};
        w = viewbox.width;
        hgt = viewbox.height;
    }
    return Foundation::SizeT<double>{w, hgt};
}

bool PaintSvg(cairo_t* cr, std::string_view svg, const Foundation::RectT<double>& rect,
              const AffineTransform& parent) {
    SvgHandle h(svg);
    if (!h.handle)
        return false;
    cairo_save(cr);
    if (!SetMatrix(cr, parent)) {
        cairo_restore(cr);
        return false;
    }
    const RsvgRectangle viewport{rect.left, rect.top, rect.Width(), rect.Height()};
    const bool ok = h.rsvg.renderDocument(h.handle, cr, &viewport, nullptr);
    cairo_restore(cr);
    return ok;
}

cairo_surface_t* MakeSurface(const Raster::DynamicBitmap& bitmap) {
    cairo_surface_t* s =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bitmap.Width(), bitmap.Height());
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (uint32_t y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* in = bitmap.Row(y);
        auto* out = reinterpret_cast<uint32_t*>(data + size_t(y) * stride);
        for (uint32_t x = 0; x < bitmap.Width(); ++x, in += 4) {
            const uint32_t a = in[3];
            const uint32_t r = in[0] * a / 255, g = in[1] * a / 255, b = in[2] * a / 255;
            out[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(s);
    return s;
}

Counted<Raster::DynamicBitmap> ToBitmap(cairo_surface_t* s) {
    cairo_surface_flush(s);
    const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    const int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    auto bitmap = Raster::DynamicBitmap::Create(w, h);
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const uint32_t*>(data + size_t(y) * stride);
        uint8_t* out = bitmap->Row(y);
        for (int x = 0; x < w; ++x, out += 4) {
            const uint32_t p = in[x], a = p >> 24;
            auto un = [a](uint32_t c) {
                return a ? uint8_t(std::min(255u, (c * 255 + a / 2) / a)) : 0;
            };
            out[0] = un((p >> 16) & 0xFF);
            out[1] = un((p >> 8) & 0xFF);
            out[2] = un(p & 0xFF);
            out[3] = uint8_t(a);
        }
    }
    return bitmap;
}

} // namespace Render::Cairo
