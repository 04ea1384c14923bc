// A state file re-packed after `edit` changed its unpacked payload, with sizes and a
// checksum that match, so that the loader's checks past the checksum are what refuse it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include <xxhash.h>
#include <zstd.h>

#include "state/state_file.h"

namespace ollendor {

inline std::vector<uint8_t> repacked(const std::vector<uint8_t>& file,
                                     const std::function<void(std::vector<uint8_t>&)>& edit)
{
    std::vector<uint8_t> payload(2 * 1024 * 1024);
    const size_t size = ZSTD_decompress(payload.data(), payload.size(), file.data() + stateHeaderSize,
                                        file.size() - stateHeaderSize);
    EXPECT_FALSE(ZSTD_isError(size));
    payload.resize(ZSTD_isError(size) ? 0 : size);
    edit(payload);
    std::vector<uint8_t> packed(ZSTD_compressBound(payload.size()));
    packed.resize(ZSTD_compress(packed.data(), packed.size(), payload.data(), payload.size(), 1));
    std::vector<uint8_t> out(file.begin(), file.begin() + stateHeaderSize);
    const uint32_t unpacked = uint32_t(payload.size()), length = uint32_t(packed.size());
    std::memcpy(&out[20], &unpacked, 4);
    std::memcpy(&out[24], &length, 4);
    XXH64_state_t* state = XXH64_createState();
    XXH64_reset(state, 0);
    XXH64_update(state, out.data(), 28);
    XXH64_update(state, packed.data(), packed.size());
    const uint64_t sum = XXH64_digest(state);
    XXH64_freeState(state);
    std::memcpy(&out[28], &sum, 8);
    out.insert(out.end(), packed.begin(), packed.end());
    return out;
}

} // namespace ollendor
