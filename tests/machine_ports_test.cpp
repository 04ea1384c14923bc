// The port map: which device each IN and OUT reaches.
#include "machine_support.h"

#include "machine/ctc.h"
#include "machine/keyboard.h"
#include "machine/ports.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

using PortsTest = MachineTest;

// The state any port could change, for "nothing changed" checks.
std::vector<unsigned> deviceState()
{
    std::vector<unsigned> s = {ramPage, romPage, keySenseLow, keySenseHigh, ctc.vector,
                               vdp.address, vdp.secondByteExpected, soundChip.latchedChannel};
    for (const CtcChannel& ch : ctc.channel)
        s.insert(s.end(), {ch.control, ch.timeConstant, ch.timeConstantNext});
    s.insert(s.end(), vdp.registers, vdp.registers + 8);
    s.insert(s.end(), soundChip.tonePeriod, soundChip.tonePeriod + 4);
    s.insert(s.end(), soundChip.volume, soundChip.volume + 4);
    return s;
}

TEST_F(PortsTest, WritesToEmptyPortsChangeNothing)
{
    // Put every device into a state where a stray write would show.
    portOut(0, 0x25);
    portOut(2, 0x34);            // VDP control: first byte of a pair pending
    portOut(8, 0x05);            // CTC channel 0 waiting for a constant
    portOut(6, 0x8E);
    const std::vector<unsigned> before = deviceState();
    for (unsigned port : {3u, 4u, 7u, 12u, 13u, 15u, 16u, 0x88u, 0xFFu}) {
        portOut(uint16_t(port), 0x00);
        portOut(uint16_t(port), 0xFF);
    }
    EXPECT_EQ(deviceState(), before);
}

TEST_F(PortsTest, FixedReadValues)
{
    for (uint8_t v : {0x00, 0x5A, 0xFF}) {
        for (unsigned port = 0; port < 16; ++port)
            portOut(uint16_t(port), v);
        EXPECT_EQ(portIn(0), 0xFF);
        EXPECT_EQ(portIn(4), 0xAA);
        EXPECT_EQ(portIn(7), 0xFF);
    }
    for (unsigned port = 12; port < 256; ++port)
        EXPECT_EQ(portIn(uint16_t(port)), floatingBus) << "port " << port;
}

TEST_F(PortsTest, InThreeStrobesTheSoundChip)
{
    portOut(6, 0x8E);            // channel 0, period low nibble 0xE
    portOut(6, 0x0F);            // period high bits: 0x0FE
    portOut(6, 0x90);            // channel 0 loudest
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 0); // nothing published yet
    EXPECT_EQ(portIn(3), 0x00);
    EXPECT_EQ(soundChip.channelFrequency[0].load(), 4000000u / (0x0FE * 32u));
    EXPECT_NE(soundChip.channelAmplitude[0].load(), 0);
}

TEST_F(PortsTest, VideoChipPorts)
{
    portOut(2, 0x00);            // address 0x0100, write
    portOut(2, 0x41);
    portOut(1, 0x9C);
    EXPECT_EQ(vdp.vram[0x0100], 0x9C);
    portOut(2, 0xF4);            // register 7 = 0xF4
    portOut(2, 0x87);
    EXPECT_EQ(vdp.registers[7], 0xF4);
    portOut(2, 0x00);            // address 0x0100, read
    portOut(2, 0x01);
    EXPECT_EQ(portIn(1), 0x9C);
    EXPECT_EQ(portIn(2), vdp.status);
}

TEST_F(PortsTest, KeyboardPorts)
{
    testHost.press(0x20);        // Space: row 7, column 8
    portOut(5, 0x7F);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFE);
}

TEST_F(PortsTest, CtcPortsByLowBits)
{
    portOut(9, 0x25);
    portOut(9, 0x33);
    EXPECT_EQ(ctc.channel[1].timeConstant, 0x33);
    EXPECT_EQ(portIn(9), 0x33);
    EXPECT_EQ(portIn(13), 0xFF); // 13 shares 9's low bits but is outside the map
    portOut(13, 0x87);           // would make channel 1 wait for a constant
    EXPECT_FALSE(ctc.channel[1].timeConstantNext);
}

} // namespace
