// SPDX-License-Identifier: MIT
// A user style sheet with arbitrary bytes, held in the document and linked from a file, copied
// into an in-memory container; and the same sheet after a save and load.

#include "FuzzTempFolder.h"

#include "epub/flowing/FlowingEPubExporter.h"
#include "epub/options/CSSFile.h"
#include "host/foundation/DataSource.h"
#include "host/foundation/FileStore.h"
#include "host/foundation/Serialiser.h"
#include "host/foundation/Stream.h"
#include "host/render/ExportOptions.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace {

using Foundation::Counted;
using Foundation::MakeCounted;
using Foundation::StringT;

Counted<const EPub::CSSFile> Saved(const EPub::CSSFile& file) {
    Foundation::OutSerialiser out;
    out.SaveObject(Foundation::FourCC("cssf"), &file);
    Foundation::InSerialiser in(out.Data());
    Foundation::FileStore store;
    Counted<EPub::CSSFile> loaded;
    in.LoadObjectI(Foundation::FourCC("cssf"), loaded, store);
    return loaded;
}

void Export(const std::vector<Counted<const EPub::CSSFile>>& files) {
    auto settings = MakeCounted<EPub::ExportSettings>();
    settings->title = "Fuzz";
    settings->language = "en";
    auto options =
        MakeCounted<EPub::FlowingEPubOptions>(Render::FileExportOptionsVector::Preset::Standard);
    EPub::FlowingEPubExporter exporter(settings, options);
    exporter.Start("fuzz.epub", MakeCounted<Foundation::MemoryOutStream>());
    for (const auto& file : files)
        exporter.AddCssFile(file);
    try {
        exporter.End();
    } catch (const std::exception&) {
        // A refused entry is an export failure, which the tool reports; not a fault.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const auto path = Fuzz::ProcessFolder().Path() / "user sheet & co.css";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    auto source = MakeCounted<Foundation::FileDataSource>(StringT(path.string()));

    const auto held =
        MakeCounted<const EPub::CSSFile>(source, Foundation::TimeStamp(), StringT(text));
    const auto linked =
        MakeCounted<const EPub::CSSFile>(source, Foundation::TimeStamp(), StringT());
    held->IsValid();
    linked->IsValid();
    linked->GetResourceStatus();
    Export({held, linked, Saved(*held), Saved(*linked)});
    return 0;
}
