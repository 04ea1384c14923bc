#include "frontend/screenshot.h"

#include "files/message_text.h"
#include "files/safe_file.h"
#include "host/toolkit.h"
#include "video/picture.h"

namespace ollendor {

void writeScreenshot(const std::filesystem::path& file, const FrameBuffer& frame, bool blanked,
                     uint8_t backdrop)
{
    // Encoded in memory, then written through a temporary file and a rename: a failure
    // (a full disk, say) leaves an older screenshot at that name intact.
    const std::vector<uint8_t> png = consolePng(frame, blanked, backdrop);
    if (png.empty())
        throw DynamicError("could not write the screenshot " + escapedName(file.string()) +
                           ": the picture could not be encoded");
    const std::string failure = writeFileSafely(file, png);
    if (!failure.empty())
        throw DynamicError("could not write the screenshot " + escapedName(file.string()) + ": " + failure);
}

} // namespace ollendor
