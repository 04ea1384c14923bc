#include "machine/tape.h"

#include <algorithm>
#include <cstring>

#include "machine/machine.h"

namespace ollendor {

namespace {

bool alreadyReported(const TapeState& tape, const char* name)
{
    for (unsigned i = 0; i < tape.reportedCount; ++i) {
        if (std::memcmp(tape.reported[i], name, tapeNameLength) == 0)
            return true;
    }
    return false;
}

void rememberReported(TapeState& tape, const char* name)
{
    std::memcpy(tape.reported[tape.reportedNext], name, tapeNameLength);
    tape.reportedNext = uint8_t((tape.reportedNext + 1) % tapeReportedCapacity);
    if (tape.reportedCount < tapeReportedCapacity)
        ++tape.reportedCount;
}

// Straight into the store, past memWrite: a block may fill the RAM page's ROM slot too.
// Addresses wrap at 16 bits.
void handOutBlock(Mtx& machine, uint16_t address, uint16_t length)
{
    TapeState& tape = machine.tape;
    tape.left -= std::min<uint32_t>(tape.left, length);
    for (unsigned i = 0; i < length; ++i) {
        const uint16_t at = uint16_t(address + i);
        const unsigned page = at >= 0xC000 ? 0 : machine.memory.ramPage;
        machine.memory.page[page][at] = tape.buffer[i];
    }
    std::memmove(tape.buffer, tape.buffer + length, tapeBufferSize - length);
    ++tape.blocksServed;
}

// Hands out the block a pending request asked for.
void answer(Mtx& machine)
{
    TapeState& tape = machine.tape;
    tape.requestPending = false;
    handOutBlock(machine, tape.requestAddress, tape.requestLength);
}

} // namespace

void tapePowerOn(TapeState& tape)
{
    std::memset(&tape, 0, sizeof tape);
}

void tapeTrap(Mtx& machine, Z80State& cpu)
{
    const uint8_t* common = machine.memory.page[0];
    if (common[tapeLoadFlagAddress] == 0 || common[tapeVerifyFlagAddress] != 0)
        return;

    TapeState& tape = machine.tape;
    const uint16_t address = cpu.HL();
    const uint16_t length = cpu.DE();
    // A header request needs an image when none is open, or when the open one has been
    // handed out to its end (the tape has run out: loading again starts a fresh one).
    if ((!tape.opened || tape.left == 0) && address == tapeHeaderAddress && length == tapeHeaderLength) {
        tape.requestPending = true;
        tape.requestAddress = address;
        tape.requestLength = length;
        std::memcpy(tape.requestName, &common[tapeNameAddress], tapeNameLength);
        raiseEvent(machine, MachineEvent::tapeRequest);
        return;
    }
    handOutBlock(machine, address, length);
}

void tapeInsert(Mtx& machine, std::span<const uint8_t> image)
{
    TapeState& tape = machine.tape;
    const size_t count = std::min<size_t>(image.size(), tapeBufferSize);
    std::memcpy(tape.buffer, image.data(), count);
    tape.opened = true;
    tape.left = uint32_t(count);
    tape.imageSize = uint32_t(count);
    if (tape.requestPending)
        answer(machine);
}

void tapeEject(Mtx& machine)
{
    TapeState& tape = machine.tape;
    tape.opened = false;
    tape.left = 0;
    std::memset(tape.buffer, 0, sizeof tape.buffer);
}

bool tapeMissing(Mtx& machine)
{
    TapeState& tape = machine.tape;
    const bool first = !alreadyReported(tape, tape.requestName);
    if (first)
        rememberReported(tape, tape.requestName);
    if (tape.requestPending)
        answer(machine);
    return first;
}

} // namespace ollendor
