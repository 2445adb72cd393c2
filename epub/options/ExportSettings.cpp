// SPDX-License-Identifier: MIT
#include "epub/options/ExportSettings.h"

#include "epub/options/AccessibilityMetadata.h"
#include "host/foundation/DataSource.h"
#include "host/raster/DynamicBitmap.h"
#include "host/render/Colour.h"
#include "host/text/GlyphAtts.h"
#include "host/text/Style.h"

namespace EPub {

ExportSettings::ExportSettings()
    : colours{Render::Colour::MakeRGBPacked(0xFF000000), Render::Colour::MakeCMYK(0, 0, 0, 255)} {}

ExportSettings::ExportSettings(const ExportSettings& other) = default;

ExportSettings::~ExportSettings() = default;

Counted<ExportSettings> ExportSettings::Clone() const {
    return Foundation::MakeCounted<ExportSettings>(*this);
}

} // namespace EPub
