// SPDX-License-Identifier: MIT
#include "host/foundation/ApplicationVersion.h"

#ifndef EPUB_VERSION_MAJOR
#define EPUB_VERSION_MAJOR 0
#define EPUB_VERSION_MINOR 0
#define EPUB_VERSION_PATCH 0
#endif

namespace Foundation {

ApplicationVersion ApplicationVersion::GetCurrent() {
    return {EPUB_VERSION_MAJOR, EPUB_VERSION_MINOR, EPUB_VERSION_PATCH, "epubexport"};
}

} // namespace Foundation
