#include "hostimpl/raster/PixbufLibrary.h"

#include "hostimpl/foundation/SharedLibrary.h"

namespace Raster::Codecs {

namespace {

PixbufLibrary Load() {
    Foundation::SharedLibrary library("libgdk_pixbuf-2.0.so.0");
    PixbufLibrary api;
    library.Bind(api.loaderNewWithType, "gdk_pixbuf_loader_new_with_type");
    library.Bind(api.loaderWrite, "gdk_pixbuf_loader_write");
    library.Bind(api.loaderClose, "gdk_pixbuf_loader_close");
    library.Bind(api.loaderGetPixbuf, "gdk_pixbuf_loader_get_pixbuf");
    library.Bind(api.width, "gdk_pixbuf_get_width");
    library.Bind(api.height, "gdk_pixbuf_get_height");
    library.Bind(api.colorspace, "gdk_pixbuf_get_colorspace");
    library.Bind(api.bitsPerSample, "gdk_pixbuf_get_bits_per_sample");
    library.Bind(api.channels, "gdk_pixbuf_get_n_channels");
    library.Bind(api.hasAlpha, "gdk_pixbuf_get_has_alpha");
    library.Bind(api.rowstride, "gdk_pixbuf_get_rowstride");
    library.Bind(api.readPixels, "gdk_pixbuf_read_pixels");
    library.Bind(api.unref, "g_object_unref");
    library.Bind(api.errorFree, "g_error_free");
    api.error = library.Error();
    return api;
}

} // namespace

const PixbufLibrary& PixbufLibrary::Get() {
    static const PixbufLibrary api = Load();
    return api;
}

} // namespace Raster::Codecs
