// Tape requests the whole way through a session: the CPU runs the tape trap instruction
// with the block's address and length in HL and DE, the run stops for the request, the
// session looks the image up in its tape folder and answers, and the run goes on to the
// end of the frame, as when the OS calls its tape routine.
//
// The machine starts from power-on with no ROM at all (every byte zero), so a test sees
// only what the tape puts into memory. The trap is run from a stub in ROM page 7's slot,
// above its copy of the OS image, where no block lands unless RAM page 7 is selected.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/rom_set.h"
#include "tests/support/session_driver.h"

namespace ollendor {

class TapeRig {
public:
    static constexpr unsigned stubPage = 7;
    static constexpr uint16_t stubAddress = 0x3000;

    explicit TapeRig(const std::filesystem::path& folder) : driver(builtinRomSet())
    {
        machinePowerOn(machine()); // the ROM wiped
        driver.session.setTapeFolder(folder);
        common()[tapeLoadFlagAddress] = 1;
        common()[tapeVerifyFlagAddress] = 0;
    }

    Mtx& machine() { return driver.machine(); }
    uint8_t* common() { return machine().memory.page[0]; } // page 0: common RAM at 0xC000 on
    std::vector<RecordingHost::Message>& messages() { return driver.host.messages; }

    // The OS's 15-byte name field; shorter names are padded with spaces.
    void setName(const std::string& name)
    {
        std::string field = name;
        field.resize(15, ' ');
        std::memcpy(&common()[tapeNameAddress], field.data(), 15);
    }
    void setNameBytes(const char (&bytes)[10]) // exactly the 9 bytes that count
    {
        std::memcpy(&common()[tapeNameAddress], bytes, 9);
    }

    // The trap with HL = address and DE = length, then HALT until the frame is done.
    void trap(uint16_t address, uint16_t length)
    {
        Mtx& m = machine();
        ASSERT_NE(m.memory.ramPage, stubPage) << "a block could land on the stub";
        uint8_t* stub = &m.memory.page[stubPage][stubAddress];
        stub[0] = 0xED; // the tape trap
        stub[1] = 0xFE;
        stub[2] = 0x76; // HALT
        m.memory.romPage = stubPage;
        m.cpu.PC = stubAddress;
        m.cpu.intState = uint8_t(m.cpu.intState & ~HALTED);
        m.cpu.setHL(address);
        m.cpu.setDE(length);
        driver.run(driver.session.frames() + 1);
        EXPECT_EQ(m.cpu.PC, stubAddress + 2) << "the run did not go on past the trap";
        EXPECT_FALSE(m.tape.requestPending) << "the session left a request unanswered";
    }
    void requestHeader() { trap(tapeHeaderAddress, tapeHeaderLength); }
    bool headerIs(const std::vector<uint8_t>& image, size_t from = 0)
    {
        return std::memcmp(&common()[tapeHeaderAddress], image.data() + from, tapeHeaderLength) == 0;
    }

    SessionDriver driver;
};

} // namespace ollendor
