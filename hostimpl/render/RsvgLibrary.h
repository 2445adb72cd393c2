// SPDX-License-Identifier: MIT
#pragma once
// librsvg, opened on the first SVG drawn: most documents have none.

#include "hostimpl/foundation/SharedLibrary.h"

#include <librsvg/rsvg.h>

namespace Render::Cairo {

struct RsvgLibrary : Foundation::LibraryFunctions {
    static constexpr const char* kSoname = "librsvg-2.so.2";

    decltype(&rsvg_handle_new_from_data) newFromData = nullptr;
    decltype(&rsvg_handle_get_intrinsic_size_in_pixels) intrinsicSizeInPixels = nullptr;
    decltype(&rsvg_handle_get_intrinsic_dimensions) intrinsicDimensions = nullptr;
    decltype(&rsvg_handle_render_document) renderDocument = nullptr;
    decltype(&g_object_unref) unref = nullptr;

    void Bind(Foundation::SharedLibrary& library);
    static const RsvgLibrary& Get() { return Foundation::LoadOnce<RsvgLibrary>(); }
};

} // namespace Render::Cairo
