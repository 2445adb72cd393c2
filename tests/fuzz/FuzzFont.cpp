// SPDX-License-Identifier: MIT
// Font bytes as a document's `fonts` entry: registration of every face, name tables, and the
// collection face extraction used before embedding.

#include "host/foundation/FontCollection.h"
#include "host/foundation/FontNameTable.h"
#include "host/foundation/MemoryFont.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t kFacesTried = 4;

void Register(std::string data) {
    Foundation::MemoryFontRegistry registry;
    registry.Register("fuzz.ttf", std::move(data));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    Register(std::string(data));
    for (uint32_t face = 0; face < kFacesTried; ++face)
        Foundation::FontNameTable::Read(data, face).GetFamilyName();
    if (!Foundation::IsFontCollection(data))
        return 0;
    Foundation::FindCollectionFace(data, "DejaVu Sans");
    for (uint32_t face = 0; face < kFacesTried; ++face)
        if (auto single = Foundation::ExtractCollectionFace(data, face))
            Register(std::move(*single));
    return 0;
}
