#include "hostimpl/foundation/RawDeflater.h"

#include <libdeflate.h>

namespace Foundation {

namespace {

// The level zlib uses by default; libdeflate's level 6 compresses at least as well.
constexpr int kLevel = 6;

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
