// SPDX-License-Identifier: MIT
#pragma once
// FreeType plumbing shared by the font services: owned library and face handles and the readers
// that turn a face's tables into host values.

#include "host/foundation/Font.h"
#include "host/foundation/FontNameTable.h"
#include "host/foundation/Panose.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <memory>
#include <string_view>

namespace Foundation::FreeType {

struct LibraryDeleter {
    void operator()(FT_Library lib) const noexcept { FT_Done_FreeType(lib); }
};
struct FaceDeleter {
    void operator()(FT_Face face) const noexcept { FT_Done_Face(face); }
};
using Library = std::unique_ptr<FT_LibraryRec_, LibraryDeleter>;
using Face = std::unique_ptr<FT_FaceRec_, FaceDeleter>;

// A library instance per caller: FreeType libraries must not be shared across threads.
Library OpenLibrary();
// Faces keep pointing into `data`, which must outlive them. Null on failure.
Face OpenMemoryFace(const Library& lib, std::string_view data, long faceIndex);
Face OpenFileFace(const Library& lib, const char* path, long faceIndex);
// Number of faces in the data (several for a collection); 0 when it is not a font.
long CountFaces(const Library& lib, std::string_view data);

FontNameTable ReadNameTable(FT_Face face);
Panose ReadPanose(FT_Face face);
uint16_t ReadLicenceType(FT_Face face);
// True when the face's file starts with a collection header.
bool IsCollectionFile(FT_Face face);
// The face as its own tables describe it.
Font DescribeFace(FT_Face face, const FontNameTable& names);

// Names in the encodings fonts actually use; records in other encodings decode to empty.
StringT DecodeName(uint16_t platformId, uint16_t encodingId, std::string_view bytes);

} // namespace Foundation::FreeType
