// What the device tools report, checked against another layer rather than against
// themselves: get_video_state against the registers written through the chip's control
// port, get_sound_state against the frequency measured in the WAV file a headless run of
// the program writes for the same keys.
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "files/wav_file.h"
#include "tests/program_run_support.h"
#include "tests/support/automation_harness.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

std::string hexText(unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", value);
    return text;
}

} // namespace

// Register sets written through the control port, each register a random value (and every
// value of register 1, which holds the mode and display bits), against what the tool says.
TEST(AutomationCrossLayer, VideoStateAgreesWithTheRegistersWritten)
{
    AutomationHarness m;
    m.data("step_frames", {{"count", 2}});
    std::mt19937 random(2222);
    for (unsigned round = 0; round < 512; ++round) {
        uint8_t r[8];
        for (uint8_t& value : r)
            value = uint8_t(random());
        r[1] = uint8_t(round); // every mode and flag combination, twice
        VdpState& vdp = m.control.machine().vdp;
        for (unsigned i = 0; i < 8; ++i) {
            vdpWriteControl(vdp, r[i]);
            vdpWriteControl(vdp, uint8_t(0x80 | i));
        }
        const Json state = m.data("get_video_state");
        const std::string where = "round " + std::to_string(round);
        for (unsigned i = 0; i < 8; ++i)
            EXPECT_EQ(state["registers"][i], r[i]) << where << ", register " << i;
        // The mode bits M1 (R1 bit 4), M2 (R1 bit 3), M3 (R0 bit 1).
        const unsigned m1 = r[1] >> 4 & 1, m2 = r[1] >> 3 & 1, m3 = r[0] >> 1 & 1;
        EXPECT_EQ(state["mode"], m1 << 2 | m2 << 1 | m3) << where;
        const int code = m1 + m2 + m3 > 1 ? 5 : m1 ? 3 : m2 ? 2 : m3 ? 1 : 0;
        EXPECT_EQ(state["mode_code"], code) << where;
        EXPECT_EQ(state["blanked"], (r[1] & 0x40) == 0) << where;
        EXPECT_EQ(state["backdrop"], r[7] & 0x0F) << where;
        const Json& decoded = state["decoded"];
        ASSERT_EQ(decoded.size(), 14u) << where;
        EXPECT_EQ(decoded[7], "Name table base: " + hexText(r[2] * 0x400u)) << where;
        EXPECT_EQ(decoded[8], "Colour table base: " + hexText(r[3] * 0x40u)) << where;
        EXPECT_EQ(decoded[10], "Sprite attr. base: " + hexText(r[5] * 0x80u)) << where;
        EXPECT_EQ(decoded[11], "Sprite pattern generator base: " + hexText(r[6] * 0x800u)) << where;
        EXPECT_EQ(decoded[12], "Text colour: " + std::to_string(r[7] >> 4)) << where;
        EXPECT_EQ(decoded[13], "Backdrop colour: " + std::to_string(r[7] & 0x0F)) << where;
        EXPECT_EQ(decoded[2], (r[1] & 0x40) ? "Display enabled" : "Display blanked") << where;
        EXPECT_EQ(decoded[5], (r[1] & 0x02) ? "16x16 bit sprites" : "8x8 bit sprites") << where;
    }
}

// The built-in ROM's sound page plays C5 on the Q key. The tool, on a machine driven by
// the same keys, says which frequency plays; the WAV the program writes must have it.
TEST(AutomationCrossLayer, SoundStateAgreesWithTheFrequencyInTheWav)
{
    AutomationHarness m;
    m.data("type_text", {{"text", "3q"}});
    int reported = 0;
    for (int frame = 0; frame < 200 && reported == 0; ++frame) {
        m.data("step_frames", {{"count", 1}});
        const Json sound = m.data("get_sound_state");
        for (const Json& channel : sound["channels"])
            if (channel["amplitude"].get<int>() > 0)
                reported = channel["frequency"];
    }
    ASSERT_GT(reported, 0) << "no channel sounded";

    const std::filesystem::path wav =
        std::filesystem::path(testing::TempDir()) / ("ollendor_cross_" + std::to_string(getpid()) + ".wav");
    const programtest::RunResult run = programtest::runOllendor(programtest::RunSetup(
        {"--headless", "--frames", "150", "--type", "3q", "--wav", wav.string()}));
    ASSERT_EQ(run.exitCode, 0) << programtest::describe(run);
    const std::string bytes = programtest::readText(wav);
    std::filesystem::remove(wav);
    ASSERT_GT(bytes.size(), wavHeaderBytes);
    const auto sample = [&](size_t i) {
        return int16_t(uint8_t(bytes[wavHeaderBytes + 2 * i]) | uint8_t(bytes[wavHeaderBytes + 2 * i + 1]) << 8);
    };
    const size_t count = (bytes.size() - wavHeaderBytes) / 2;
    uint32_t rate = 0;
    for (int i = 3; i >= 0; --i)
        rate = rate << 8 | uint8_t(bytes[24 + i]);
    ASSERT_GT(rate, 0u);

    // The rises through zero of the loud stretch: the frequency from the first to the last.
    long first = -1, last = -1, rises = 0;
    for (size_t i = 1; i < count; ++i)
        if (sample(i - 1) <= 0 && sample(i) > 0) {
            if (first < 0)
                first = long(i);
            last = long(i);
            ++rises;
        }
    ASSERT_GT(rises, 10) << "the WAV holds no tone";
    const double measured = double(rises - 1) * rate / double(last - first);
    EXPECT_NEAR(measured, reported, reported * 0.01) << "measured in the WAV vs get_sound_state";
}
