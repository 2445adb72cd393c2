// SPDX-License-Identifier: MIT
#include "hostimpl/raster/PixbufLibrary.h"

namespace Raster::Codecs {

void PixbufLibrary::Bind(Foundation::SharedLibrary& library) {
    library.Bind(loaderNewWithType, "gdk_pixbuf_loader_new_with_type");
    library.Bind(loaderWrite, "gdk_pixbuf_loader_write");
    library.Bind(loaderClose, "gdk_pixbuf_loader_close");
    library.Bind(loaderGetPixbuf, "gdk_pixbuf_loader_get_pixbuf");
    library.Bind(width, "gdk_pixbuf_get_width");
    library.Bind(height, "gdk_pixbuf_get_height");
    library.Bind(colorspace, "gdk_pixbuf_get_colorspace");
    library.Bind(bitsPerSample, "gdk_pixbuf_get_bits_per_sample");
    library.Bind(channels, "gdk_pixbuf_get_n_channels");
    library.Bind(hasAlpha, "gdk_pixbuf_get_has_alpha");
    library.Bind(rowstride, "gdk_pixbuf_get_rowstride");
    library.Bind(readPixels, "gdk_pixbuf_read_pixels");
    library.Bind(unref, "g_object_unref");
    library.Bind(errorFree, "g_error_free");
}

} // namespace Raster::Codecs
