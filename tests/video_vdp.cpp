// The video chip's ports: control byte pairs, the address register and the mode number.
#include <gtest/gtest.h>

#include "video/vdp.h"

using namespace ollendor;

namespace {

class VdpPorts : public ::testing::Test {
protected:
    void SetUp() override { vdpReset(); }

    void vdpReset() { ollendor::vdpReset(vdp); }
    void vdpWriteControl(uint8_t value) { ollendor::vdpWriteControl(vdp, value); }
    void vdpWriteData(uint8_t value) { ollendor::vdpWriteData(vdp, value); }
    uint8_t vdpReadData() { return ollendor::vdpReadData(vdp); }
    uint8_t vdpReadStatus() { return ollendor::vdpReadStatus(vdp); }
    void writeRegister(unsigned reg, uint8_t value)
    {
        vdpWriteControl(value);
        vdpWriteControl(uint8_t(0x80 | reg));
    }
    void setAddress(uint16_t address)
    {
        vdpWriteControl(uint8_t(address));
        vdpWriteControl(uint8_t(address >> 8 | 0x40));
    }

    VdpState vdp{};
};

TEST_F(VdpPorts, RegisterNumberComesFromTheLowThreeBits)
{
    vdpWriteControl(0x05);
    vdpWriteControl(0x87);
    EXPECT_EQ(vdp.registers[7], 0x05);
    vdpWriteControl(0x06);
    vdpWriteControl(0xFF); // bits 6-3 ignored: still register 7
    EXPECT_EQ(vdp.registers[7], 0x06);
    for (unsigned r = 0; r < 7; ++r)
        EXPECT_EQ(vdp.registers[r], 0) << "register " << r;
    EXPECT_EQ(vdp.secondByteExpected, 0u);
}

TEST_F(VdpPorts, AddressSetIgnoresDirectionBitAndReadsWithoutReadAhead)
{
    for (uint8_t second : {0x40, 0x00}) {
        vdp.vram[0x34] = 0x5A;
        vdp.vram[0x35] = 0xA5;
        vdpWriteControl(0x34);
        vdpWriteControl(second);
        EXPECT_EQ(vdp.address, 0x34);
        EXPECT_EQ(vdpReadData(), 0x5A);
        EXPECT_EQ(vdp.address, 0x35);
    }
    // A read after a write returns the byte after the one written.
    setAddress(0x1234);
    vdp.vram[0x1235] = 0x77;
    vdpWriteData(0x11);
    EXPECT_EQ(vdp.vram[0x1234], 0x11);
    EXPECT_EQ(vdpReadData(), 0x77);
    EXPECT_EQ(vdp.address, 0x1236);
}

TEST_F(VdpPorts, DataOrStatusAccessDiscardsAHeldFirstByte)
{
    vdpWriteControl(0x10);
    vdpWriteData(0xAA);
    vdpWriteControl(0x20);
    EXPECT_EQ(vdp.secondByteExpected, 1u);
    EXPECT_EQ(vdp.firstByte, 0x20);

    vdpReset();
    vdpWriteControl(0x10);
    EXPECT_EQ(vdpReadStatus(), 0); // status is 0 even with a first byte held
    vdpWriteControl(0x20);
    EXPECT_EQ(vdp.secondByteExpected, 1u);
    EXPECT_EQ(vdp.firstByte, 0x20);

    vdpReset();
    vdpWriteControl(0x10);
    vdpReadData();
    EXPECT_EQ(vdp.secondByteExpected, 0u);
}

TEST_F(VdpPorts, ModeFollowsRegisterBits)
{
    writeRegister(1, 0x10);
    EXPECT_EQ(vdp.mode, 4);
    writeRegister(0, 0x02);
    EXPECT_EQ(vdp.mode, 5);
    writeRegister(1, 0x00);
    EXPECT_EQ(vdp.mode, 1);
    writeRegister(1, 0x08);
    EXPECT_EQ(vdp.mode, 3);
    writeRegister(0, 0xFD); // every bit but the mode bit
    writeRegister(1, 0xE7);
    EXPECT_EQ(vdp.mode, 0);
}

TEST_F(VdpPorts, DataAccessesWrapAtTheEndOfVideoMemory)
{
    setAddress(0x3FFF);
    vdpWriteData(0x12);
    vdpWriteData(0x34); // address 0x4000: lands on 0x0000
    EXPECT_EQ(vdp.vram[0x3FFF], 0x12);
    EXPECT_EQ(vdp.vram[0x0000], 0x34);
    vdp.vram[0x0001] = 0x56;
    EXPECT_EQ(vdpReadData(), 0x56); // address 0x4001
    vdp.address = 0xFFFF;
    vdp.vram[0x3FFF] = 0x9C;
    EXPECT_EQ(vdpReadData(), 0x9C);
    EXPECT_EQ(vdp.address, 0);
}

TEST_F(VdpPorts, ResetClearsEverything)
{
    writeRegister(1, 0x18);
    setAddress(0x2000);
    for (int i = 0; i < 100; ++i)
        vdpWriteData(0xFF);
    vdpWriteControl(0x42);
    vdp.vram[0x3FFF] = 1;
    vdpReset();
    EXPECT_EQ(vdp.mode, 0);
    EXPECT_EQ(vdp.address, 0);
    EXPECT_EQ(vdp.secondByteExpected, 0u);
    EXPECT_EQ(vdp.firstByte, 0);
    for (uint8_t r : vdp.registers)
        EXPECT_EQ(r, 0);
    for (unsigned a = 0; a < vramSize; ++a)
        ASSERT_EQ(vdpReadData(), 0) << "address " << a;
}

} // namespace
