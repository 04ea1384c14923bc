// The devices: video chip, sprites, counter/timer, sound chip, keyboard, and the picture.
#include <memory>

#include "automation/encoding.h"
#include "automation/key_names.h"
#include "automation/tool_support.h"
#include "debug/chip_text.h"
#include "debug/info_text.h"
#include "video/display.h"
#include "video/tables.h"
#include "video/picture.h"

namespace ollendor {

namespace {

using namespace tool;

const Shape videoShape{{"registers", outArray(outInteger())}, {"decoded", outArray(outString())},
                       {"mode", outInteger()}, {"mode_name", outString()}, {"mode_code", outInteger()},
                       {"status", outInteger()}, {"address", outInteger()}, {"second_byte_expected", outBoolean()},
                       {"blanked", outBoolean()}, {"backdrop", outInteger()}};

Json videoState(const VdpState& vdp, std::string& text)
{
    char line[infoTextSize];
    Json registers = Json::array(), decoded = Json::array();
    for (unsigned i = 0; i < 8; ++i)
        registers.push_back(vdp.registers[i]);
    for (int i = 0; describeVdpLine(vdp, line, sizeof line, i); ++i)
        decoded.push_back(std::string(line));
    const int modeCode = describeVdpMode(vdp, line, sizeof line);
    const std::string modeName = line;
    text = modeName + "; registers";
    for (unsigned i = 0; i < 8; ++i)
        text += ' ' + hex2(vdp.registers[i]);
    text += "; address " + hex4(vdp.address) + (displayBlanked(vdp) ? "; blanked" : "");
    return videoShape({{"registers", registers},
                       {"decoded", decoded},
                       {"mode", vdp.mode},
                       {"mode_name", modeName},
                       {"mode_code", modeCode},
                       {"status", vdp.status},
                       {"address", vdp.address},
                       {"second_byte_expected", vdp.secondByteExpected},
                       {"blanked", displayBlanked(vdp)},
                       {"backdrop", backdropColour(vdp)}});
}

const Shape spriteShape{{"index", outInteger()}, {"y", outInteger()}, {"x", outInteger()}, {"pattern", outInteger()},
                        {"colour", outInteger()}, {"early_clock", outBoolean()}, {"screen_x", outInteger()},
                        {"screen_y", outInteger()}, {"drawn", outBoolean()}, {"why_not", outString()}};
const Shape spritesShape{{"sprites", outArray(spriteShape.schema())}, {"size", outInteger()},
                         {"magnified", outBoolean()}, {"attribute_table", outInteger()},
                         {"pattern_table", outInteger()}};

// The sprite attribute table as the renderer draws it (spriteTable): every entry with its
// position on the picture (the top-left pixel at (x, y)), and whether it is drawn and why not.
Json sprites(const VdpState& vdp, std::string& text)
{
    const VdpTables tables = vdpTables(vdp);
    const SpriteTable table = spriteTable(vdp);
    Json list = Json::array();
    unsigned drawn = 0;
    for (const SpriteEntry& entry : table.entries) {
        drawn += entry.drawn() ? 1 : 0;
        list.push_back(spriteShape({{"index", entry.index}, {"y", entry.y}, {"x", entry.x}, {"pattern", entry.pattern},
                                    {"colour", entry.colour}, {"early_clock", entry.earlyClock}, {"screen_x", entry.x},
                                    {"screen_y", entry.y}, {"drawn", entry.drawn()},
                                    {"why_not", spriteStatusText(entry.status)}}));
    }
    text = tables.text ? "text mode shows no sprites"
                       : std::to_string(drawn) + " of 32 sprites drawn, " + std::to_string(table.size) + "x" +
                             std::to_string(table.size) + (table.magnified ? " magnified" : "") + ", attributes at " +
                             hex4(tables.spriteAttributes) + ", patterns at " + hex4(tables.spritePatterns);
    return spritesShape({{"sprites", list},
                         {"size", table.size},
                         {"magnified", table.magnified},
                         {"attribute_table", tables.spriteAttributes},
                         {"pattern_table", tables.spritePatterns}});
}

const Shape ctcChannelShape{{"channel", outInteger()}, {"control", outInteger()}, {"time_constant", outInteger()},
                            {"count", outInteger()}, {"counter", outInteger()}, {"running", outBoolean()},
                            {"interrupt_enabled", outBoolean()}, {"prescaler", outInteger()},
                            {"time_constant_next", outBoolean()}};
const Shape ctcShape{{"vector", outInteger()}, {"channels", outArray(ctcChannelShape.schema())}};

Json ctcState(const CtcState& ctc, std::string& text)
{
    Json channels = Json::array();
    text = "vector " + hex2(ctc.vector);
    const std::array<CtcChannelSummary, 4> summary = ctcSummary(ctc); // as the view shows them
    for (unsigned i = 0; i < 4; ++i) {
        const CtcChannelSummary& c = summary[i];
        const unsigned prescaler = ctcPrescalerOf(c.control);
        channels.push_back(ctcChannelShape({{"channel", i}, {"control", c.control}, {"time_constant", c.timeConstant},
                                            {"count", c.count}, {"counter", c.counter}, {"running", c.running},
                                            {"interrupt_enabled", c.interrupts}, {"prescaler", prescaler},
                                            {"time_constant_next", c.constantNext}}));
        text += "; channel " + std::to_string(i) + (c.running ? " running" : " stopped") + " constant " +
                std::to_string(c.timeConstant) + " /" + std::to_string(prescaler) + (c.interrupts ? " interrupts" : "");
    }
    return ctcShape({{"vector", ctc.vector}, {"channels", channels}});
}

// The attenuation of a level (debug/chip_text.h), -1 for a level of none.
int attenuation(uint32_t volume)
{
    const std::optional<unsigned> level = attenuationOf(volume);
    return level ? int(*level) : -1;
}

const Shape toneShape{{"channel", outInteger()}, {"period", outInteger()}, {"attenuation", outInteger()},
                      {"volume", outInteger()}, {"frequency", outInteger()}, {"amplitude", outInteger()}};
const Shape noiseShape{{"period", outInteger()}, {"attenuation", outInteger()}, {"volume", outInteger()}};
const Shape soundShape{{"channels", outArray(toneShape.schema())}, {"noise", noiseShape.schema()},
                       {"latched_channel", outInteger()}};

Json soundState(const SoundChip& chip, std::string& text)
{
    Json channels = Json::array();
    for (unsigned i = 0; i < 3; ++i) {
        channels.push_back(toneShape({{"channel", i}, {"period", chip.tonePeriod[i]},
                                      {"attenuation", attenuation(chip.volume[i])}, {"volume", chip.volume[i]},
                                      {"frequency", chip.published.frequency[i]},
                                      {"amplitude", chip.published.amplitude[i]}}));
        text += "channel " + std::to_string(i) + ": " + std::to_string(chip.published.frequency[i]) + " Hz, amplitude " +
                std::to_string(chip.published.amplitude[i]) + "\n";
    }
    return soundShape({{"channels", channels},
                       {"noise", noiseShape({{"period", chip.tonePeriod[3]}, {"attenuation", attenuation(chip.volume[3])},
                                             {"volume", chip.volume[3]}})},
                       {"latched_channel", chip.latchedChannel}});
}

const Shape keyboardShape{{"pressed", outArray(outString())}, {"rows", outArray(outInteger())},
                          {"caps_lock", outBoolean()}, {"sense_low", outInteger()}, {"sense_high", outInteger()},
                          {"typing", outBoolean()}};

Json keyboardState(const KeyboardState& keyboard, bool typing, std::string& text)
{
    Json rows = Json::array(), pressed = Json::array();
    for (unsigned row = 0; row < 8; ++row) {
        rows.push_back(keyboard.input.rows[row]);
        for (unsigned col = 0; col < 10; ++col)
            if ((keyboard.input.rows[row] >> col & 1) && keyMatrixMap[row][col] != noKey)
                if (const char* name = nameOfKey(keyMatrixMap[row][col]))
                    pressed.push_back(name);
    }
    text = pressed.empty() ? "no key down" : "down:";
    for (const Json& name : pressed)
        text += ' ' + name.get<std::string>();
    if (typing)
        text += "; typing";
    return keyboardShape({{"pressed", pressed},
                          {"rows", rows},
                          {"caps_lock", (keyboard.input.capsLock & 1) != 0},
                          {"sense_low", keyboard.senseLow},
                          {"sense_high", keyboard.senseHigh},
                          {"typing", typing}});
}

// A tool that reads one device on the loop's thread and describes it.
template <class Read>
ToolResult readDevice(MachineAccess& machine, Read read)
{
    std::string text;
    return onMachine(machine, [&](Control& control) { return read(control, text); },
                     [&](Json json) { return success(std::move(json), text); });
}

} // namespace

void addDeviceTools(std::vector<Tool>& tools)
{
    tools.push_back({"get_video_state",
                     "The video chip: its 8 registers raw and decoded, the display mode, status byte, the address "
                     "of the next access, whether the display is blanked and the backdrop colour.",
                     object({}), videoShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return readDevice(machine, [](Control& c, std::string& t) { return videoState(c.machine().vdp, t); });
                     }});
    tools.push_back({"list_sprites",
                     "All 32 entries of the sprite attribute table as the picture shows them: the top-left "
                     "pixel drawn at (screen_x, screen_y), pattern, colour, early clock, whether it is drawn "
                     "and why not (end mark, after the end mark, transparent, off screen, Text mode); with "
                     "the sprite size and the tables' addresses.",
                     object({}), spritesShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return readDevice(machine, [](Control& c, std::string& t) { return sprites(c.machine().vdp, t); });
                     }});
    tools.push_back({"get_ctc_state",
                     "The counter/timer: its interrupt vector and each channel's control word, time constant, "
                     "count, whether it runs and interrupts, and its prescaler.",
                     object({}), ctcShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return readDevice(machine, [](Control& c, std::string& t) { return ctcState(c.machine().ctc, t); });
                     }});
    tools.push_back({"get_sound_state",
                     "The sound chip: each tone channel's period, attenuation (0 loudest, 15 silent) and the "
                     "frequency and amplitude it last published; the noise channel's registers.",
                     object({}), soundShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return readDevice(machine, [](Control& c, std::string& t) { return soundState(c.machine().sound, t); });
                     }});
    tools.push_back({"get_keyboard_state",
                     "The keys the machine is given now (by name, and the matrix rows as bit masks), Caps Lock, "
                     "the sense bytes last latched, and whether typed text is still being typed.",
                     object({}), keyboardShape.schema(),
                     [](const Json&, MachineAccess& machine) {
                         return readDevice(machine, [](Control& c, std::string& t) {
                             // While recorded input is followed, nothing typed reaches the keys.
                             return keyboardState(c.machine().keyboard,
                                                  !c.session().replaying() && !c.session().typingFinished(), t);
                         });
                     }});
    tools.push_back({"screenshot",
                     "The picture as the window shows it: the 320 x 200 console (the 256 x 192 picture in its "
                     "border) as a PNG image, the same as --screenshot writes.",
                     object({}), Json(), [](const Json&, MachineAccess& machine) {
                         auto frame = std::make_unique<FrameBuffer>();
                         bool blanked = false;
                         uint8_t backdrop = 0;
                         return onMachine(machine, [&](Control& control) {
                                 *frame = control.machine().frame;
                                 blanked = displayBlanked(control.machine().vdp);
                                 backdrop = backdropColour(control.machine().vdp);
                             }, [&] {
                                 // Encoded here, off the loop's thread.
                                 const std::vector<uint8_t> png = consolePng(*frame, blanked, backdrop);
                                 if (png.empty())
                                     return failure("screenshot: the picture could not be encoded");
                                 ToolResult result;
                                 result.content.push_back({{"type", "image"}, {"data", base64Text(png)}, {"mimeType", "image/png"}});
                                 result.content.push_back({{"type", "text"},
                                                           {"text", "320 x 200 PNG, " + std::to_string(png.size()) + " bytes"}});
                                 return result;
                             });
                     }});
}

} // namespace ollendor
