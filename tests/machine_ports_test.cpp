// The port map: which device each IN and OUT reaches.
#include "machine_support.h"

#include "machine/ctc.h"
#include "machine/keyboard.h"
#include "machine/ports.h"
#include "sound/soundchip.h"
#include "video/vdp.h"

using namespace ollendor;

namespace {

class PortsTest : public MachineTest {
protected:
    void portOut(uint16_t port, uint8_t value) { ollendor::portOut(m, port, value); }
    uint8_t portIn(uint16_t port) { return ollendor::portIn(m, port); }

    // The state any port could change, for "nothing changed" checks.
    std::vector<unsigned> deviceState() const
    {
        std::vector<unsigned> s = {m.memory.ramPage, m.memory.romPage, m.keyboard.senseLow,
                                   m.keyboard.senseHigh, m.ctc.vector, m.vdp.address,
                                   m.vdp.secondByteExpected, m.sound.latchedChannel};
        for (const CtcChannel& ch : m.ctc.channel)
            s.insert(s.end(), {ch.control, ch.timeConstant, ch.timeConstantNext});
        s.insert(s.end(), m.vdp.registers, m.vdp.registers + 8);
        s.insert(s.end(), m.sound.tonePeriod, m.sound.tonePeriod + 4);
        s.insert(s.end(), m.sound.volume, m.sound.volume + 4);
        return s;
    }
};

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
    EXPECT_EQ(takeEvents(m).raised, 0) << "an empty port raises nothing";
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
    EXPECT_EQ(m.sound.published.frequency[0], 0); // nothing published yet
    EXPECT_EQ(takeEvents(m).raised, 0) << "writes alone publish nothing";
    EXPECT_EQ(portIn(3), 0x00);
    EXPECT_EQ(m.sound.published.frequency[0], 4000000u / (0x0FE * 32u));
    EXPECT_NE(m.sound.published.amplitude[0], 0);
    // The change is the host's to hear: the run returns to it after this instruction.
    EXPECT_EQ(takeEvents(m).raised, uint8_t(MachineEvent::soundChanged));
    EXPECT_TRUE(m.cpu.stopRequested);
    m.cpu.stopRequested = false;
    EXPECT_EQ(portIn(3), 0x00); // the same settings again: nothing to hear
    EXPECT_EQ(takeEvents(m).raised, 0);
    EXPECT_FALSE(m.cpu.stopRequested);
    portOut(6, 0x9F);            // channel 0 silent
    portIn(3);
    EXPECT_EQ(m.sound.published.amplitude[0], 0);
    EXPECT_TRUE(takeEvents(m).has(MachineEvent::soundChanged));
}

TEST_F(PortsTest, VideoChipPorts)
{
    portOut(2, 0x00);            // address 0x0100, write
    portOut(2, 0x41);
    portOut(1, 0x9C);
    EXPECT_EQ(m.vdp.vram[0x0100], 0x9C);
    portOut(2, 0xF4);            // register 7 = 0xF4
    portOut(2, 0x87);
    EXPECT_EQ(m.vdp.registers[7], 0xF4);
    portOut(2, 0x00);            // address 0x0100, read
    portOut(2, 0x01);
    EXPECT_EQ(portIn(1), 0x9C);
    EXPECT_EQ(portIn(2), m.vdp.status);
}

TEST_F(PortsTest, KeyboardPorts)
{
    keys.press(0x20);            // Space: row 7, column 8
    holdKeys();
    portOut(5, 0x7F);
    EXPECT_EQ(portIn(5), 0xFF);
    EXPECT_EQ(portIn(6), 0xFE);
}

TEST_F(PortsTest, CtcPortsByLowBits)
{
    portOut(9, 0x25);
    portOut(9, 0x33);
    EXPECT_EQ(m.ctc.channel[1].timeConstant, 0x33);
    EXPECT_EQ(portIn(9), 0x33);
    EXPECT_EQ(portIn(13), 0xFF); // 13 shares 9's low bits but is outside the map
    portOut(13, 0x87);           // would make channel 1 wait for a constant
    EXPECT_FALSE(m.ctc.channel[1].timeConstantNext);
}

} // namespace
