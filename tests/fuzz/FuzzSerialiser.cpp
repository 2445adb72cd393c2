// SPDX-License-Identifier: MIT
// Serialised option objects from a damaged or hostile stream: every registered class loads from
// it, directly and through the class registry, and saves again.

#include "epub/options/AccessibilityMetadata.h"
#include "epub/options/CSSFile.h"
#include "epub/options/FileExportOptions.h"
#include "epub/options/FlowingEPubOptions.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/FileStore.h"
#include "host/foundation/Serialiser.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

using Foundation::Counted;
using Foundation::FourCC;
using Foundation::InSerialiser;
using Foundation::OutSerialiser;
using Foundation::Serialisable;

// Loads `object` from the stream, saves it, and loads the saved form into a fresh object.
template <class T> void RoundTrip(const InSerialiser& in, Foundation::FileStore& store) {
    const auto object = T::CreateObject();
    object->Load(in, store, 1);
    OutSerialiser out;
    out.SaveObject(FourCC("objt"), object.get());
    InSerialiser again(out.Data());
    Counted<Serialisable> reloaded;
    again.LoadObjectI(FourCC("objt"), reloaded, store);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    Foundation::FileStore store("/nonexistent-fuzz-base");
    {
        InSerialiser in(std::string(reinterpret_cast<const char*>(bytes), size));
        RoundTrip<EPub::FlowingEPubOptions>(in, store);
        RoundTrip<EPub::FileExportOptions>(in, store);
        RoundTrip<EPub::AccessibilityMetadata>(in, store);
        RoundTrip<EPub::CSSFile>(in, store);
        RoundTrip<Foundation::FileDataSource>(in, store);
    }
    // Whatever class the stream names, as a host would read a saved object.
    InSerialiser in(std::string(reinterpret_cast<const char*>(bytes), size));
    for (const uint32_t tag : {FourCC("objt"), FourCC("root")}) {
        Counted<Serialisable> object;
        if (!in.LoadObjectI(tag, object, store) || !object)
            continue;
        OutSerialiser out;
        out.SaveObject(tag, object.get());
    }
    return 0;
}
