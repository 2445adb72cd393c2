// SPDX-License-Identifier: MIT
#include "host/foundation/FontHandle.h"

#include "host/foundation/FileStream.h"

namespace Foundation {

StringT FontHandle::GetFileName() const {
    if (d_.memoryFont)
        return d_.memoryFont->GetFileName();
    const size_t slash = d_.path.RFind('/');
    return slash == StringT::npos ? d_.path : d_.path.Substr(slash + 1);
}

Counted<InStreamSeekable> FontHandle::OpenData(size_t bufferSize) const {
    if (d_.memoryFont)
        return MakeCounted<MemoryInStream>(std::string(d_.memoryFont->GetData()));
    return FastFileInStream::Open(d_.path, bufferSize);
}

} // namespace Foundation
