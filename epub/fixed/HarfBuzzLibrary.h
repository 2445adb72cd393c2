// SPDX-License-Identifier: MIT
#pragma once
// HarfBuzz, opened when the first fixed-layout text frame is set: reflowable documents never
// shape text, and linked it would load GLib and graphite2 along with it into every run.

#include "hostimpl/foundation/SharedLibrary.h"

#include <hb.h>

namespace EPub {

struct HarfBuzzLibrary : Foundation::LibraryFunctions {
    static constexpr const char* kSoname = "libharfbuzz.so.0";

    decltype(&hb_blob_create_from_file) blobCreateFromFile = nullptr;
    decltype(&hb_blob_destroy) blobDestroy = nullptr;
    decltype(&hb_face_create) faceCreate = nullptr;
    decltype(&hb_face_destroy) faceDestroy = nullptr;
    decltype(&hb_face_get_upem) faceGetUpem = nullptr;
    decltype(&hb_font_create) fontCreate = nullptr;
    decltype(&hb_font_destroy) fontDestroy = nullptr;
    decltype(&hb_font_set_scale) fontSetScale = nullptr;
    decltype(&hb_font_get_h_extents) fontGetHExtents = nullptr;
    decltype(&hb_buffer_create) bufferCreate = nullptr;
    decltype(&hb_buffer_destroy) bufferDestroy = nullptr;
    decltype(&hb_buffer_add_utf8) bufferAddUtf8 = nullptr;
    decltype(&hb_buffer_guess_segment_properties) bufferGuessSegmentProperties = nullptr;
    decltype(&hb_buffer_set_direction) bufferSetDirection = nullptr;
    decltype(&hb_buffer_get_glyph_infos) bufferGetGlyphInfos = nullptr;
    decltype(&hb_buffer_get_glyph_positions) bufferGetGlyphPositions = nullptr;
    decltype(&hb_shape) shape = nullptr;
    decltype(&hb_unicode_funcs_get_default) unicodeFuncsGetDefault = nullptr;
    decltype(&hb_unicode_script) unicodeScript = nullptr;
    decltype(&hb_unicode_general_category) unicodeGeneralCategory = nullptr;

    void Bind(Foundation::SharedLibrary& library);
    static const HarfBuzzLibrary& Get() { return Foundation::LoadOnce<HarfBuzzLibrary>(); }
};

} // namespace EPub
