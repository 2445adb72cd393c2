#pragma once
// librsvg, opened on the first SVG drawn: most documents have none.

#include <librsvg/rsvg.h>

#include <string>

namespace Render::Cairo {

struct RsvgLibrary {
    decltype(&rsvg_handle_new_from_data) newFromData = nullptr;
    decltype(&rsvg_handle_get_intrinsic_size_in_pixels) intrinsicSizeInPixels = nullptr;
    decltype(&rsvg_handle_get_intrinsic_dimensions) intrinsicDimensions = nullptr;
    decltype(&rsvg_handle_render_document) renderDocument = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    std::string error; // why the functions are missing

    bool IsLoaded() const noexcept { return error.empty(); }

    // Loaded once, then kept for the life of the process.
    static const RsvgLibrary& Get();
};

} // namespace Render::Cairo
