// SPDX-License-Identifier: MIT
#include "host/foundation/MemoryFont.h"

#include "hostimpl/foundation/FontFreeType.h"

namespace Foundation {

size_t MemoryFontRegistry::Register(const StringT& fileName, std::string data) {
    auto shared = std::make_shared<const std::string>(std::move(data));
    const auto lib = FreeType::OpenLibrary();
    const long faces = FreeType::CountFaces(lib, *shared);
    size_t registered = 0;
    for (long i = 0; i < faces; ++i) {
        const auto face = FreeType::OpenMemoryFace(lib, *shared, i);
        if (!face)
            continue;
        FontNameTable names = FreeType::ReadNameTable(face.get());
        Font font = FreeType::DescribeFace(face.get(), names);
        if (font.IsEmpty())
            continue;
        faces_.push_back(MakeCounted<const MemoryFont>(std::move(font), fileName, shared,
                                                       uint32_t(i), std::move(names)));
        ++registered;
    }
    return registered;
}

} // namespace Foundation
