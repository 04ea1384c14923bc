// The built-in ROM images and the demo tape as built: their layout, the places the machine
// relies on (reset entry, interrupt vectors, the tape routine's slot) and the tape's blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "roms/builtin_rom.h"

namespace {

const std::string buildDir = OLLENDOR_BINARY_DIR;

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The label file z80asm writes beside each image: "name:\tequ $1234" per line.
std::map<std::string, unsigned> readLabels(const std::string& image)
{
    std::map<std::string, unsigned> labels;
    std::ifstream in(buildDir + "/roms/" + image + ".labels");
    std::string name, equ, value;
    while (in >> name >> equ >> value) {
        if (name.empty() || name.back() != ':' || value.size() < 2 || value[0] != '$')
            continue;
        name.pop_back();
        labels[name] = static_cast<unsigned>(std::stoul(value.substr(1), nullptr, 16));
    }
    return labels;
}

unsigned word(const uint8_t* image, unsigned offset)
{
    return image[offset] | image[offset + 1] << 8;
}

// Label value, failing the test if the label is missing.
unsigned label(const std::map<std::string, unsigned>& labels, const std::string& name)
{
    auto it = labels.find(name);
    EXPECT_NE(it, labels.end()) << "no label " << name;
    return it == labels.end() ? 0 : it->second;
}

} // namespace

TEST(RomImages, EmbeddedImagesMatchTheAssembledFiles)
{
    for (auto name : romFileNames) {
        auto file = readFile(buildDir + "/roms/" + std::string(name));
        ASSERT_EQ(file.size(), builtinRomSize) << name;
        auto image = builtinRomImage(name);
        ASSERT_EQ(image.size(), builtinRomSize) << name;
        EXPECT_TRUE(std::equal(file.begin(), file.end(), image.begin())) << name << " is stale";
    }
    EXPECT_TRUE(builtinRomImage("osrom.bin").empty());
    EXPECT_TRUE(builtinRomImage("").empty());
}

TEST(RomImages, ResetEntryDisablesInterruptsSetsTheStackAndJumpsToStartUp)
{
    auto labels = readLabels("osrom");
    const uint8_t* os = builtinOsRom;
    EXPECT_EQ(os[0], 0xF3);                                  // DI
    EXPECT_EQ(os[1], 0x31);                                  // LD SP,nn
    EXPECT_EQ(word(os, 2), 0xF000u);
    EXPECT_EQ(os[4], 0xC3);                                  // JP coldStart
    EXPECT_EQ(word(os, 5), label(labels, "coldStart"));
    EXPECT_LT(label(labels, "coldStart"), builtinRomSize);
}

TEST(RomImages, InterruptVectorTableSitsWhereIAndTheCounterVectorPointAndHoldsHandlers)
{
    auto labels = readLabels("osrom");
    const uint8_t* os = builtinOsRom;
    // The start-up code loads I with the table's high byte and the counter/timer vector
    // with its low byte (a multiple of 8: the chip adds the channel times two).
    unsigned table = label(labels, "vectorTable");
    unsigned vector = label(labels, "ctcVector");
    EXPECT_EQ(table & 0xFF, vector);
    EXPECT_EQ(vector % 8, 0u);
    EXPECT_LT(table + 8, 0x2000u) << "the table must be in the OS image, seen in every ROM page";

    unsigned clock = label(labels, "ctcInterrupt");
    unsigned stray = label(labels, "strayInterrupt");
    EXPECT_EQ(word(os, table + 0), clock);                   // channel 0
    for (unsigned channel = 1; channel < 4; ++channel)
        EXPECT_EQ(word(os, table + 2 * channel), stray) << channel;
    EXPECT_EQ(os[stray], 0xFB);                               // EI
    EXPECT_EQ(os[stray + 1], 0xED);                           // RETI
    EXPECT_EQ(os[stray + 2], 0x4D);

    // startClock: vector, control word, time constant to port 8, then I, IM 2, EI.
    unsigned start = label(labels, "startClock");
    const uint8_t expected[] = {
        0x3E, static_cast<uint8_t>(vector), 0xD3, 0x08,      // LD A,vector  OUT (8),A
        0x3E, 0xA5, 0xD3, 0x08,                              // LD A,0xA5    OUT (8),A
        0x3E, static_cast<uint8_t>(label(labels, "ctcTimeConstant")), 0xD3, 0x08,
        0x3E, static_cast<uint8_t>(table >> 8), 0xED, 0x47,  // LD A,table/256  LD I,A
        0xED, 0x5E, 0xFB,                                    // IM 2  EI
    };
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), os + start));
}

TEST(RomImages, TapeRoutineSlotIsAPlainReturnThatNothingElseUses)
{
    auto labels = readLabels("osrom");
    const uint8_t* os = builtinOsRom;
    EXPECT_EQ(label(labels, "tapeRoutine"), 0x0AAEu);
    EXPECT_EQ(os[0x0AAE], 0xC9) << "unpatched, a call must simply return";
    // No label (jump or call target, data) may point into the bytes the patch overwrites
    // beyond its entry.
    for (const auto& [name, value] : labels)
        EXPECT_FALSE(value == 0x0AAF || value == 0x0AB0) << name;
    // The only call to the tape routine goes through tapeBlock, with ROM page 0 selected.
    unsigned calls = 0;
    for (unsigned at = 0; at + 2 < builtinRomSize; ++at)
        if (os[at] == 0xCD && word(os, at + 1) == 0x0AAE)
            ++calls;
    EXPECT_EQ(calls, 1u);
}

TEST(RomImages, ServiceTableAndPageEntriesJumpIntoTheirImages)
{
    auto os = readLabels("osrom");
    const uint8_t* image = builtinOsRom;
    unsigned services = 0;
    for (const auto& [name, value] : os) {
        if (name.rfind("svc", 0) != 0 || name == "svcTable" || name == "svcTableEnd" ||
            name == "svcFont")
            continue;
        ++services;
        EXPECT_EQ(image[value], 0xC3) << name;
        unsigned target = word(image, value + 1);
        EXPECT_GE(target, label(os, "svcTableEnd")) << name;
        EXPECT_LT(target, 0x2000u) << name;
    }
    EXPECT_GE(services, 20u);
    EXPECT_EQ(word(image, label(os, "svcFont")), label(os, "fontData"));

    // basicrom has three pages, assemrom two (its third entry repeats the first).
    for (const uint8_t* pages : {builtinBasicRom, builtinAssemRom})
        for (unsigned entry = 0; entry < 3; ++entry) {
            EXPECT_EQ(pages[3 * entry], 0xC3) << entry;
            unsigned target = word(pages, 3 * entry + 1);
            EXPECT_GE(target, 0x2009u);
            EXPECT_LT(target, 0x4000u);
        }
}

TEST(RomImages, VariablesStayClearOfTheBytesTheMachineOwns)
{
    // Addresses the machine writes or reads by itself in common RAM.
    auto reserved = [](unsigned address) {
        return (address >= 0xC002 && address <= 0xC022) || address == 0xFA91 ||
               address == 0xFD67 || address == 0xFD68;
    };
    auto labels = readLabels("osrom");
    unsigned ramBase = label(labels, "ramBase");
    unsigned checked = 0;
    for (const auto& [name, value] : labels) {
        if (value < ramBase || value >= 0xF000)
            continue;
        ++checked;
        EXPECT_FALSE(reserved(value)) << name;
    }
    EXPECT_GE(checked, 20u);
    // The highest variable block (mountainLow, 32 bytes) ends below the stack's area.
    EXPECT_LT(label(labels, "mountainLow") + 32, 0xE000u);
    EXPECT_EQ(label(labels, "stackTop"), 0xF000u);
}

TEST(RomImages, LoadingTheBuiltinSetLaysOutPagesLikeTheFileLoader)
{
    std::vector<uint8_t> store(16 * 0x10000, 0x5A);
    loadBuiltinRomImages(store.data(), store.size());
    auto at = [&](unsigned page, unsigned offset) { return store.data() + page * 0x10000 + offset; };
    EXPECT_TRUE(std::equal(builtinOsRom, builtinOsRom + 0x2000, at(0, 0)));
    EXPECT_TRUE(std::equal(builtinBasicRom, builtinBasicRom + 0x2000, at(0, 0x2000)));
    EXPECT_TRUE(std::equal(builtinAssemRom, builtinAssemRom + 0x2000, at(1, 0x2000)));
    for (unsigned page = 1; page < 8; ++page)
        EXPECT_TRUE(std::equal(builtinOsRom, builtinOsRom + 0x2000, at(page, 0))) << page;
    for (unsigned page = 2; page < 8; ++page)
        EXPECT_TRUE(std::all_of(at(page, 0x2000), at(page, 0x4000), [](uint8_t b) { return b == 0xFF; }))
            << page;
    // RAM and pages 8-15 are not the loader's business.
    EXPECT_EQ(*at(0, 0x4000), 0x5A);
    EXPECT_EQ(*at(8, 0x0000), 0x5A);
}

TEST(DemoTape, NameFieldOfTheTapePageNamesTheBuiltTape)
{
    // The tape page copies a 15-byte name field; the machine opens its first 9 bytes.
    const std::string field = std::string(builtinDemoTapeName) + "      ";
    auto found = std::search(builtinAssemRom, builtinAssemRom + builtinRomSize, field.begin(), field.end());
    ASSERT_NE(found, builtinAssemRom + builtinRomSize) << "the name field is not in assemrom";
    auto tape = readFile(buildDir + "/tapes/" + std::string(builtinDemoTapeName));
    EXPECT_FALSE(tape.empty()) << "build/tapes/" << builtinDemoTapeName << " missing";
}

TEST(DemoTape, HeaderDescribesTheDataBlockThatFollows)
{
    auto tape = readFile(buildDir + "/tapes/" + std::string(builtinDemoTapeName));
    ASSERT_GT(tape.size(), 18u + 2u);
    EXPECT_EQ(tape[0], 'O');
    EXPECT_EQ(tape[1], 'T');
    unsigned length = word(tape.data(), 2);
    unsigned address = word(tape.data(), 4);
    EXPECT_EQ(18u + length, tape.size()) << "header block + data block, nothing else";
    EXPECT_EQ(address, 0x4000u);
    EXPECT_LE(address + length, 0xC000u) << "the data must stay in the paged RAM";
    EXPECT_EQ(tape[tape.size() - 2], 'T');
    EXPECT_EQ(tape[tape.size() - 1], 'O');
    EXPECT_EQ(tape[tape.size() - 3], 0) << "the text ends in 0 before the end mark";
    // Text lines must fit the 38 columns the page prints them in.
    unsigned column = 0, longest = 0;
    for (size_t i = 18; i + 3 < tape.size(); ++i) {
        column = tape[i] == 10 ? 0 : column + 1;
        longest = std::max(longest, column);
        EXPECT_TRUE(tape[i] == 10 || (tape[i] >= 32 && tape[i] < 127)) << "byte " << i;
    }
    EXPECT_LE(longest, 38u);
}
