#include "cli/HarfBuzzLibrary.h"

#include "hostimpl/foundation/SharedLibrary.h"

namespace Cli {

namespace {

HarfBuzzLibrary Load() {
    Foundation::SharedLibrary library("libharfbuzz.so.0");
    HarfBuzzLibrary api;
    library.Bind(api.blobCreateFromFile, "hb_blob_create_from_file");
    library.Bind(api.blobDestroy, "hb_blob_destroy");
    library.Bind(api.faceCreate, "hb_face_create");
    library.Bind(api.faceDestroy, "hb_face_destroy");
    library.Bind(api.faceGetUpem, "hb_face_get_upem");
    library.Bind(api.fontCreate, "hb_font_create");
    library.Bind(api.fontDestroy, "hb_font_destroy");
    library.Bind(api.fontSetScale, "hb_font_set_scale");
    library.Bind(api.fontGetHExtents, "hb_font_get_h_extents");
    library.Bind(api.bufferCreate, "hb_buffer_create");
    library.Bind(api.bufferDestroy, "hb_buffer_destroy");
    library.Bind(api.bufferAddUtf8, "hb_buffer_add_utf8");
    library.Bind(api.bufferGuessSegmentProperties, "hb_buffer_guess_segment_properties");
    library.Bind(api.bufferGetGlyphInfos, "hb_buffer_get_glyph_infos");
    library.Bind(api.bufferGetGlyphPositions, "hb_buffer_get_glyph_positions");
    library.Bind(api.shape, "hb_shape");
    api.error = library.Error();
    return api;
}

} // namespace

const HarfBuzzLibrary& HarfBuzzLibrary::Get() {
    static const HarfBuzzLibrary api = Load();
    return api;
}

} // namespace Cli
