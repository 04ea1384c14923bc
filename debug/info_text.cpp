#include "debug/info_text.h"

#include <cstdint>
#include <cstdio>

namespace ollendor {

namespace {
const char* flagText(uint8_t value, uint8_t bit, const char* set, const char* clear)
{
    return (value & bit) ? set : clear;
}

void add(InfoLine (&lines)[maxInfoLines], int& count, int x, int y)
{
    lines[count].x = x;
    lines[count].y = y;
    ++count;
}
} // namespace

int describeVdpMode(const VdpState& vdp, char* text, std::size_t size)
{
    const uint8_t r0 = vdp.registers[0], r1 = vdp.registers[1];
    const int bits = ((r1 >> 4) & 1) << 2 | ((r1 >> 3) & 1) << 1 | ((r0 >> 1) & 1);
    const char* name = "Unrecognized mode!";
    int code = vdpModeUnrecognized;
    switch (bits) {
    case 0b000: name = "Graphics I mode"; code = 0; break;
    case 0b001: name = "Graphics II mode"; code = 1; break;
    case 0b010: name = "Multicolour mode"; code = 2; break;
    case 0b100: name = "Text mode"; code = 3; break;
    }
    std::snprintf(text, size, "%s", name);
    return code;
}

int describeVdpLine(const VdpState& vdp, char* text, std::size_t size, int line)
{
    const uint8_t* r = vdp.registers;
    // Base addresses are the whole register shifted, no bits masked: what was written.
    switch (line) {
    case 0: std::snprintf(text, size, "%s", flagText(r[0], 0x01, "External video enabled", "External video disabled")); break;
    case 1: std::snprintf(text, size, "%s", flagText(r[1], 0x80, "16K RAM operation", "4K RAM operation")); break;
    case 2: std::snprintf(text, size, "%s", flagText(r[1], 0x40, "Display enabled", "Display blanked")); break;
    case 3: std::snprintf(text, size, "%s", flagText(r[1], 0x20, "VDP interrupt enabled", "VDP interrupt disabled")); break;
    case 4: describeVdpMode(vdp, text, size); break;
    case 5: std::snprintf(text, size, "%s", flagText(r[1], 0x02, "16x16 bit sprites", "8x8 bit sprites")); break;
    case 6: std::snprintf(text, size, "%s", flagText(r[1], 0x01, "Sprite magnification enabled", "Sprite magnification disabled")); break;
    case 7: std::snprintf(text, size, "Name table base: 0x%x", unsigned(r[2]) * 1024); break;
    case 8: std::snprintf(text, size, "Colour table base: 0x%x", unsigned(r[3]) * 64); break;
    case 9: {
        char mode[infoTextSize];
        const unsigned base = unsigned(r[4]) * 2048;
        switch (describeVdpMode(vdp, mode, sizeof mode)) {
        case 0:
        case 1: std::snprintf(text, size, "Pattern generator base: 0x%x", base); break;
        case 2: std::snprintf(text, size, "Multicolour generator base: 0x%x", base); break;
        case 3: std::snprintf(text, size, "Text generator base: 0x%x", base); break;
        default: std::snprintf(text, size, "??????"); break;
        }
        break;
    }
    case 10: std::snprintf(text, size, "Sprite attr. base: 0x%x", unsigned(r[5]) * 128); break;
    case 11: std::snprintf(text, size, "Sprite pattern generator base: 0x%x", unsigned(r[6]) * 2048); break;
    case 12: std::snprintf(text, size, "Text colour: %i", r[7] >> 4); break;
    case 13: std::snprintf(text, size, "Backdrop colour: %i", r[7] & 0x0F); break;
    default: return 0;
    }
    return 1;
}

int infoWindowLines(InfoWindow kind, const InfoSources& sources, InfoLine (&lines)[maxInfoLines])
{
    const VdpState& vdp = sources.vdp;
    int count = 0;
    switch (kind) {
    case InfoWindow::timings:
        std::snprintf(lines[count].text, infoTextSize, "Clock speed: %i Hz",
                      int(sources.measuredHz));
        add(lines, count, 8, 8);
        break;
    case InfoWindow::sound:
        for (int c = 0; c < 3; ++c) {
            const uint16_t frequency = sources.tones.frequency[c];
            const int16_t amplitude = int16_t(sources.tones.amplitude[c]);
            std::snprintf(lines[count].text, infoTextSize, "Channel %i playing at %i Hz with volume %i",
                          c, int(frequency), int(amplitude));
            add(lines, count, 8, 8 + 14 * c);
        }
        break;
    case InfoWindow::videoChip:
        std::snprintf(lines[count].text, infoTextSize, "VDP registers:");
        add(lines, count, 8, 8);
        for (int r = 0; r < 8; ++r) {
            std::snprintf(lines[count].text, infoTextSize, "Register %i: 0x%x", r, unsigned(vdp.registers[r]));
            add(lines, count, 8, 24 + 16 * r);
        }
        for (int k = 0; count < maxInfoLines && describeVdpLine(vdp, lines[count].text, infoTextSize, k); ++k)
            add(lines, count, 130, 8 + 16 * k);
        break;
    }
    return count;
}

} // namespace ollendor
