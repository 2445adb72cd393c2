// SPDX-License-Identifier: MIT
#pragma once
// Whole-buffer raw deflate through libdeflate: the zlib level-6 ratio or better in about half the
// time. One instance per thread.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct libdeflate_compressor;

namespace Foundation {

class RawDeflater {
public:
    RawDeflater();
    ~RawDeflater();
    RawDeflater(const RawDeflater&) = delete;
    RawDeflater& operator=(const RawDeflater&) = delete;

    // The deflated bytes of `data` in `out`; false when the compressor could not be made.
    bool Deflate(std::string_view data, std::string& out);
    static uint32_t Crc32(std::string_view data);

private:
    struct Free {
        void operator()(libdeflate_compressor* c) const noexcept;
    };
    std::unique_ptr<libdeflate_compressor, Free> compressor_;
};

} // namespace Foundation
