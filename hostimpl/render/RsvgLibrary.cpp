// SPDX-License-Identifier: MIT
#include "hostimpl/render/RsvgLibrary.h"

namespace Render::Cairo {

void RsvgLibrary::Bind(Foundation::SharedLibrary& library) {
    library.Bind(newFromData, "rsvg_handle_new_from_data");
    library.Bind(intrinsicSizeInPixels, "rsvg_handle_get_intrinsic_size_in_pixels");
    library.Bind(intrinsicDimensions, "rsvg_handle_get_intrinsic_dimensions");
    library.Bind(renderDocument, "rsvg_handle_render_document");
    library.Bind(unref, "g_object_unref");
}

} // namespace Render::Cairo
