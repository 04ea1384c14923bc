// Shared by the machine tests: a machine of the test's own at power-on, and scratch files.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "machine/machine.h"
#include "tests/support/recording_host.h"
#include "tests/support/scratch_files.h"

using namespace ollendor;

// Every test starts from the machine's program-start state: all memory zero, no ROM.
class MachineTest : public testing::Test {
protected:
    MachineTest() : machine(std::make_unique<Mtx>()), m(*machine) { machinePowerOn(m); }

    // Sets the keyboard input from the keys held now.
    void holdKeys(int16_t capsLock = 0) { m.keyboard.input = keys.input(capsLock); }

    std::unique_ptr<Mtx> machine; // 1.2 MiB: on the heap
    Mtx& m;
    HeldKeys keys;
};
