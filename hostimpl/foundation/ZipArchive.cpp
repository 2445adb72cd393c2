// SPDX-License-Identifier: MIT
#include "host/foundation/ZipArchive.h"

#include "hostimpl/foundation/OrderedZipArchive.h"

namespace Foundation {

Counted<ZipArchive> ZipArchive::Create(Counted<OutStreamSeekable> out,
                                       std::exception_ptr& failure) {
    return CreateOrderedZipArchive(std::move(out), failure);
}

} // namespace Foundation
