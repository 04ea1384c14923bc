// State files taken apart and packed again with sizes and a checksum that match, for the
// tests and the fuzz target of the loader's checks past the checksum.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include <xxhash.h>
#include <zstd.h>

#include "state/state_file.h"

namespace ollendor {

// A state file of `header` (a saved file's first stateHeaderSize bytes) and the unpacked
// sections `payload`, packed, with the sizes and the checksum made to match.
inline std::vector<uint8_t> packedState(const std::vector<uint8_t>& header, const std::vector<uint8_t>& payload)
{
    std::vector<uint8_t> packed(ZSTD_compressBound(payload.size()));
    packed.resize(ZSTD_compress(packed.data(), packed.size(), payload.data(), payload.size(), 1));
    std::vector<uint8_t> out(header.begin(), header.begin() + stateHeaderSize);
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

// The unpacked sections of a state file (empty when they do not unpack).
inline std::vector<uint8_t> unpackedState(const std::vector<uint8_t>& file)
{
    std::vector<uint8_t> payload(2 * 1024 * 1024);
    const size_t size = ZSTD_decompress(payload.data(), payload.size(), file.data() + stateHeaderSize,
                                        file.size() - stateHeaderSize);
    payload.resize(ZSTD_isError(size) ? 0 : size);
    return payload;
}

} // namespace ollendor
