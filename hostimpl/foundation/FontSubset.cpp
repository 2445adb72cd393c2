// SPDX-License-Identifier: MIT
#include "host/foundation/FontSubset.h"

#include "hostimpl/foundation/SharedLibrary.h"

#include <hb-subset.h>

#include <memory>

namespace Foundation {

namespace {

// HarfBuzz's subsetter, opened on the first font embedded: most exports embed none.
struct SubsetLibrary : LibraryFunctions {
    static constexpr const char* kSoname = "libharfbuzz-subset.so.0";

    decltype(&hb_blob_create) blobCreate = nullptr;
    decltype(&hb_blob_destroy) blobDestroy = nullptr;
    decltype(&hb_blob_get_data) blobGetData = nullptr;
    decltype(&hb_face_create) faceCreate = nullptr;
    decltype(&hb_face_destroy) faceDestroy = nullptr;
    decltype(&hb_face_reference_blob) faceReferenceBlob = nullptr;
    decltype(&hb_face_get_glyph_count) faceGetGlyphCount = nullptr;
    decltype(&hb_set_add) setAdd = nullptr;
    decltype(&hb_set_clear) setClear = nullptr;
    decltype(&hb_set_invert) setInvert = nullptr;
    decltype(&hb_subset_input_create_or_fail) inputCreate = nullptr;
    decltype(&hb_subset_input_destroy) inputDestroy = nullptr;
    decltype(&hb_subset_input_unicode_set) inputUnicodeSet = nullptr;
    decltype(&hb_subset_input_set) inputSet = nullptr;
    decltype(&hb_subset_or_fail) subsetOrFail = nullptr;

    void Bind(SharedLibrary& library) {
        library.Bind(blobCreate, "hb_blob_create");
        library.Bind(blobDestroy, "hb_blob_destroy");
        library.Bind(blobGetData, "hb_blob_get_data");
        library.Bind(faceCreate, "hb_face_create");
        library.Bind(faceDestroy, "hb_face_destroy");
        library.Bind(faceReferenceBlob, "hb_face_reference_blob");
        library.Bind(faceGetGlyphCount, "hb_face_get_glyph_count");
        library.Bind(setAdd, "hb_set_add");
        library.Bind(setClear, "hb_set_clear");
        library.Bind(setInvert, "hb_set_invert");
        library.Bind(inputCreate, "hb_subset_input_create_or_fail");
        library.Bind(inputDestroy, "hb_subset_input_destroy");
        library.Bind(inputUnicodeSet, "hb_subset_input_unicode_set");
        library.Bind(inputSet, "hb_subset_input_set");
        library.Bind(subsetOrFail, "hb_subset_or_fail");
    }
};

template <class T> struct Release {
    void (*destroy)(T*);
    void operator()(T* p) const noexcept {
        if (p)
            destroy(p);
    }
};
template <class T> using Owned = std::unique_ptr<T, Release<T>>;

} // namespace

std::optional<std::string> SubsetFont(std::string_view data, uint32_t faceIndex,
                                      std::span<const char32_t> characters) {
    const auto& hb = LoadOnce<SubsetLibrary>();
    if (!hb.IsLoaded() || data.empty() || data.size() > UINT32_MAX)
        return std::nullopt;
    const Owned<hb_blob_t> blob(hb.blobCreate(data.data(), static_cast<unsigned>(data.size()),
                                              HB_MEMORY_MODE_READONLY, nullptr, nullptr),
                                {hb.blobDestroy});
    const Owned<hb_face_t> face(hb.faceCreate(blob.get(), faceIndex), {hb.faceDestroy});
    // An unreadable font makes an empty face, which would subset into an empty one.
    if (hb.faceGetGlyphCount(face.get()) == 0)
        return std::nullopt;
    const Owned<hb_subset_input_t> input(hb.inputCreate(), {hb.inputDestroy});
    if (!input)
        return std::nullopt;
    hb_set_t* unicodes = hb.inputUnicodeSet(input.get());
    for (const char32_t c : characters)
        hb.setAdd(unicodes, c);
    // Every layout feature stays: the style sheet may ask for any of them, and a reading system
    // turns on others by language.
    hb_set_t* features = hb.inputSet(input.get(), HB_SUBSET_SETS_LAYOUT_FEATURE_TAG);
    hb.setClear(features);
    hb.setInvert(features);
    const Owned<hb_face_t> subset(hb.subsetOrFail(face.get(), input.get()), {hb.faceDestroy});
    if (!subset)
        return std::nullopt;
    const Owned<hb_blob_t> result(hb.faceReferenceBlob(subset.get()), {hb.blobDestroy});
    unsigned length = 0;
    const char* bytes = hb.blobGetData(result.get(), &length);
    if (!bytes || length == 0)
        return std::nullopt;
    return std::string(bytes, length);
}

} // namespace Foundation
