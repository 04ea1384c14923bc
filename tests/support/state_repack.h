// A state file re-packed after `edit` changed its unpacked sections, with sizes and a
// checksum that match, so that the loader's checks past the checksum are what refuse it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "tests/support/state_pack.h"

namespace ollendor {

// The file re-packed after `edit` changed its unpacked sections, so that the loader's
// checks past the checksum are what refuse it.
inline std::vector<uint8_t> repacked(const std::vector<uint8_t>& file,
                                     const std::function<void(std::vector<uint8_t>&)>& edit)
{
    std::vector<uint8_t> payload = unpackedState(file);
    EXPECT_FALSE(payload.empty()) << "the file did not unpack";
    edit(payload);
    return packedState(file, payload);
}

} // namespace ollendor
