#include "state/state_picture.h"

#include <cstring>
#include <string>
#include <vector>

#include "state/byte_io.h"
#include "state/state_unpack.h"
#include "video/display.h"
#include "video/vdp.h"

namespace ollendor {

StateResult readStatePicture(std::span<const uint8_t> bytes, StatePicture& picture)
{
    StateHeader header;
    if (StateResult checked = checkStateHeader(bytes, header); !checked.ok)
        return checked;
    std::vector<uint8_t> payload;
    if (StateResult unpacked = unpackStatePayload(header, payload); !unpacked.ok)
        return unpacked;

    // Every section's tag and length, as the loader checks them; the video chip's
    // registers (its first bytes) and the frame are kept.
    VdpState vdp{};
    FrameBuffer frame;
    FieldReader r(payload);
    for (const StateSection& spec : stateSections(header.version)) {
        char tag[4];
        r.bytes(tag, 4);
        const uint32_t length = r.u32();
        if (r.overran() || std::memcmp(tag, spec.tag, 4) != 0 || length != spec.length)
            return {false, std::string("its section ") + spec.tag + " is missing or has the wrong size"};
        const std::span<const uint8_t> body = r.view(length);
        if (std::memcmp(spec.tag, "VDP ", 4) == 0)
            std::memcpy(vdp.registers, body.data(), sizeof vdp.registers);
        if (std::memcmp(spec.tag, "FRAM", 4) == 0) {
            std::memcpy(frame.pixels, body.data(), sizeof frame.pixels);
            for (uint8_t pixel : frame.pixels)
                if (pixel > 15)
                    return {false, "it holds a value the machine can never have: a pixel of the picture"};
        }
    }
    picture.frame = frame;
    picture.blanked = displayBlanked(vdp);
    picture.backdrop = backdropColour(vdp);
    picture.romBuiltin = header.romBuiltin;
    picture.romIdentity = header.romIdentity;
    return {true, {}};
}

} // namespace ollendor
