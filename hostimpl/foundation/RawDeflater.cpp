// SPDX-License-Identifier: MIT
#include "hostimpl/foundation/RawDeflater.h"

#include <libdeflate.h>

namespace Foundation {

namespace {

// libdeflate's level 5 still packs XHTML 0.7 % tighter than zlib's default (level 6) and
// takes a fifth less time than its own level 6, which saves only another 0.8 %; deflate is
// what the export waits for.
constexpr int kLevel = 5;

} // namespace

void RawDeflater::Free::operator()(libdeflate_compressor* c) const noexcept {
    libdeflate_free_compressor(c);
}

RawDeflater::RawDeflater() : compressor_(libdeflate_alloc_compressor(kLevel)) {}

RawDeflater::~RawDeflater() = default;

bool RawDeflater::Deflate(std::string_view data, std::string& out) {
    if (!compressor_)
        return false;
    out.resize(libdeflate_deflate_compress_bound(compressor_.get(), data.size()));
    const size_t size = libdeflate_deflate_compress(compressor_.get(), data.data(), data.size(),
                                                    out.data(), out.size());
    // The bound is a worst case, so a zero here means the compressor failed.
    if (size == 0)
        return false;
    out.resize(size);
    return true;
}

uint32_t RawDeflater::Crc32(std::string_view data) {
    return libdeflate_crc32(0, data.data(), data.size());
}

} // namespace Foundation
