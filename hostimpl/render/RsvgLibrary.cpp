#include "hostimpl/render/RsvgLibrary.h"

#include "hostimpl/foundation/SharedLibrary.h"

namespace Render::Cairo {

namespace {

RsvgLibrary Load() {
    Foundation::SharedLibrary library("librsvg-2.so.2");
    RsvgLibrary api;
    library.Bind(api.newFromData, "rsvg_handle_new_from_data");
    library.Bind(api.intrinsicSizeInPixels, "rsvg_handle_get_intrinsic_size_in_pixels");
    library.Bind(api.intrinsicDimensions, "rsvg_handle_get_intrinsic_dimensions");
    library.Bind(api.renderDocument, "rsvg_handle_render_document");
    library.Bind(api.unref, "g_object_unref");
    api.error = library.Error();
    return api;
}

} // namespace

const RsvgLibrary& RsvgLibrary::Get() {
    static const RsvgLibrary api = Load();
    return api;
}

} // namespace Render::Cairo
