// SPDX-License-Identifier: MIT
#include "readers/common/PictureSource.h"

#include "host/foundation/HashAccumulator.h"
#include "host/foundation/Stream.h"

namespace Readers {

Foundation::StringT PictureSource::GetFilename() const {
    return Foundation::StringT(name_.substr(name_.rfind('/') + 1));
}

Foundation::Counted<Foundation::InStreamSeekable> PictureSource::Open() const {
    return Foundation::MakeCounted<Foundation::MemoryInStream>(*data_);
}

void PictureSource::AccumulateHash(Foundation::HashAccumulator& hash) const {
    hash.AddToHash(name_.data(), name_.size());
    hash.AddToHash(data_->data(), data_->size());
}

} // namespace Readers
