#include "frontend/slot_list.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

#include "files/state_files.h"
#include "state/state_picture.h"
#include "video/display.h"

namespace ollendor {

namespace {

std::string localTime(const timespec& time)
{
    std::tm parts{};
    const time_t seconds = time.tv_sec;
    if (!localtime_r(&seconds, &parts))
        return "?";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return text;
}

} // namespace

std::vector<uint8_t> halfSizePicture(const uint32_t* console)
{
    std::vector<uint8_t> rgba(size_t(slotPictureWidth) * slotPictureHeight * 4);
    for (int y = 0; y < slotPictureHeight; ++y)
        for (int x = 0; x < slotPictureWidth; ++x) {
            const uint32_t* top = console + (2 * y) * consoleWidth + 2 * x;
            const uint32_t four[4] = {top[0], top[1], top[consoleWidth], top[consoleWidth + 1]};
            uint8_t* out = &rgba[(size_t(y) * slotPictureWidth + x) * 4];
            for (int channel = 0; channel < 3; ++channel) {
                const int shift = 16 - 8 * channel; // red, green, blue of 0x00RRGGBB
                unsigned sum = 0;
                for (uint32_t pixel : four)
                    sum += (pixel >> shift) & 0xFF;
                out[channel] = uint8_t((sum + 2) / 4);
            }
            out[3] = 0xFF;
        }
    return rgba;
}

void SlotList::refresh()
{
    for (int slot = 1; slot <= stateSlotCount; ++slot) {
        std::string why;
        const std::optional<std::filesystem::path> path = stateSlotPath(slot, &why);
        Stamp stamp;
        stamp.seen = true;
        if (!path) {
            stamp.error = ENOENT;
        } else if (struct stat info; ::stat(path->c_str(), &info) != 0) {
            stamp.error = errno;
        } else {
            stamp.device = info.st_dev;
            stamp.inode = info.st_ino;
            stamp.size = info.st_size;
            stamp.mode = info.st_mode;
            stamp.modified = int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        }
        if (stamp == stamps_[slot - 1])
            continue;
        stamps_[slot - 1] = stamp;
        SlotEntry& entry = entries_[slot - 1];
        entry = SlotEntry{};
        entry.generation = ++generation_;
        if (!path) {
            entry.problem = why;
        } else if (stamp.error == ENOENT || stamp.error == ENOTDIR) {
            // Nothing saved yet (or the folder is not there yet).
        } else if (stamp.error != 0) {
            entry.empty = false;
            entry.problem = std::strerror(stamp.error);
        } else {
            read(slot, path->string(), stamp);
        }
    }
}

void SlotList::read(int slot, const std::string& path, const Stamp& stamp)
{
    SlotEntry& entry = entries_[slot - 1];
    entry.empty = false;
    if (S_ISREG(stamp.mode)) {
        timespec modified{};
        modified.tv_sec = time_t(stamp.modified / 1000000000);
        entry.savedAt = localTime(modified);
    }

    auto picture = std::make_unique<StatePicture>();
    const StateResult result = loadStatePicture(path, *picture);
    if (!result.ok) {
        // The reason alone: the menu says which slot it is.
        const std::string prefix = "cannot read the state file '" + path + "': ";
        entry.problem = result.error.rfind(prefix, 0) == 0 ? result.error.substr(prefix.size()) : result.error;
        return;
    }
    auto console = std::make_unique<uint32_t[]>(size_t(consoleWidth) * consoleHeight);
    composeConsole(console.get(), consoleWidth * 4, picture->frame, picture->blanked, picture->backdrop);
    entry.picture = halfSizePicture(console.get());
    if (picture->romBuiltin != romBuiltin_ || picture->romIdentity != romIdentity_)
        entry.problem = "it was saved with another ROM set";
}

} // namespace ollendor
