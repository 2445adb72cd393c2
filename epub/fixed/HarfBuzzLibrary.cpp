// SPDX-License-Identifier: MIT
#include "epub/fixed/HarfBuzzLibrary.h"

namespace EPub {

void HarfBuzzLibrary::Bind(Foundation::SharedLibrary& library) {
    library.Bind(blobCreateFromFile, "hb_blob_create_from_file");
    library.Bind(blobDestroy, "hb_blob_destroy");
    library.Bind(faceCreate, "hb_face_create");
    library.Bind(faceDestroy, "hb_face_destroy");
    library.Bind(faceGetUpem, "hb_face_get_upem");
    library.Bind(fontCreate, "hb_font_create");
    library.Bind(fontDestroy, "hb_font_destroy");
    library.Bind(fontSetScale, "hb_font_set_scale");
    library.Bind(fontGetHExtents, "hb_font_get_h_extents");
    library.Bind(bufferCreate, "hb_buffer_create");
    library.Bind(bufferDestroy, "hb_buffer_destroy");
    library.Bind(bufferAddUtf8, "hb_buffer_add_utf8");
    library.Bind(bufferGuessSegmentProperties, "hb_buffer_guess_segment_properties");
    library.Bind(bufferSetDirection, "hb_buffer_set_direction");
    library.Bind(bufferGetGlyphInfos, "hb_buffer_get_glyph_infos");
    library.Bind(bufferGetGlyphPositions, "hb_buffer_get_glyph_positions");
    library.Bind(shape, "hb_shape");
    library.Bind(unicodeFuncsGetDefault, "hb_unicode_funcs_get_default");
    library.Bind(unicodeScript, "hb_unicode_script");
    library.Bind(unicodeGeneralCategory, "hb_unicode_general_category");
}

} // namespace EPub
