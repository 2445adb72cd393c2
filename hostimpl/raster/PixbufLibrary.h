// SPDX-License-Identifier: MIT
#pragma once
// gdk-pixbuf, opened on the first TIFF or BMP picture read: most documents have none.

#include "hostimpl/foundation/SharedLibrary.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace Raster::Codecs {

struct PixbufLibrary : Foundation::LibraryFunctions {
    static constexpr const char* kSoname = "libgdk_pixbuf-2.0.so.0";

    decltype(&gdk_pixbuf_loader_new_with_type) loaderNewWithType = nullptr;
    decltype(&gdk_pixbuf_loader_write) loaderWrite = nullptr;
    decltype(&gdk_pixbuf_loader_close) loaderClose = nullptr;
    decltype(&gdk_pixbuf_loader_get_pixbuf) loaderGetPixbuf = nullptr;
    decltype(&gdk_pixbuf_get_width) width = nullptr;
    decltype(&gdk_pixbuf_get_height) height = nullptr;
    decltype(&gdk_pixbuf_get_colorspace) colorspace = nullptr;
    decltype(&gdk_pixbuf_get_bits_per_sample) bitsPerSample = nullptr;
    decltype(&gdk_pixbuf_get_n_channels) channels = nullptr;
    decltype(&gdk_pixbuf_get_has_alpha) hasAlpha = nullptr;
    decltype(&gdk_pixbuf_get_rowstride) rowstride = nullptr;
    decltype(&gdk_pixbuf_read_pixels) readPixels = nullptr;
    decltype(&g_object_unref) unref = nullptr;
    decltype(&g_error_free) errorFree = nullptr;

    void Bind(Foundation::SharedLibrary& library);
    static const PixbufLibrary& Get() { return Foundation::LoadOnce<PixbufLibrary>(); }
};

} // namespace Raster::Codecs
