// The symbol table: the best of several names, lookups by name with the case-insensitive
// fallback, the nearest name below an address, and what a user types to go somewhere.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "debug/symbols.h"

using namespace ollendor;

TEST(Symbols, TheBestNameOfAnAddressIsTheFirstThatDoesNotLookLocal)
{
    Symbols symbols;
    EXPECT_EQ(symbols.add("_loop", 0x8000), Symbols::AddResult::added);
    EXPECT_EQ(symbols.add("print", 0x8000), Symbols::AddResult::added);
    EXPECT_EQ(symbols.add("printChar", 0x8000), Symbols::AddResult::added);
    EXPECT_EQ(symbols.add(".inner", 0x8000), Symbols::AddResult::added);
    EXPECT_EQ(symbols.nameAt(0x8000), "print");
    const auto names = symbols.namesAt(0x8000);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.end()),
              (std::vector<std::string>{"print", "printChar", "_loop", ".inner"}));
    EXPECT_EQ(symbols.nameAt(0x8001), "");
    EXPECT_TRUE(symbols.namesAt(0x8001).empty());

    symbols.add("low", 0x0010);
    std::vector<std::string> visited; // in address order, best name first
    symbols.forEach([&](uint16_t address, std::string_view name) {
        visited.push_back(std::to_string(address) + " " + std::string(name));
    });
    EXPECT_EQ(visited, (std::vector<std::string>{"16 low", "32768 print", "32768 printChar", "32768 _loop",
                                                 "32768 .inner"}));
}

TEST(Symbols, LabelsComeBeforeValuesAndNameTheCodeNearThem)
{
    Symbols symbols;
    symbols.add("colourCyan", 0x0007, SymbolKind::value);
    symbols.add("portKeys", 0x0005, SymbolKind::value);
    symbols.add("_entry", 0x0005);
    symbols.add("counter", 0xD00A, SymbolKind::value);
    EXPECT_EQ(symbols.nameAt(0x0005), "_entry") << "a label, though added later and local-looking";
    EXPECT_EQ(symbols.labelAt(0x0005), "_entry");
    EXPECT_EQ(symbols.nameAt(0x0007), "colourCyan");
    EXPECT_EQ(symbols.labelAt(0x0007), "") << "a value is no label";
    EXPECT_EQ(symbols.nearest(0x0007), "_entry+$2") << "code past a label is not named by a constant";
    EXPECT_EQ(symbols.nearest(0xD00B), "counter+$1") << "with no label near, a value names it";
    EXPECT_EQ(symbols.nearest(0x0004), "");
}

TEST(Symbols, ANameKeepsItsFirstAddress)
{
    Symbols symbols;
    EXPECT_EQ(symbols.add("start", 0x8000), Symbols::AddResult::added);
    EXPECT_EQ(symbols.add("start", 0x8000), Symbols::AddResult::duplicate);
    EXPECT_EQ(symbols.add("start", 0x9000), Symbols::AddResult::conflict);
    EXPECT_EQ(symbols.addressOf("start"), 0x8000);
    EXPECT_EQ(symbols.nameAt(0x9000), "");
    EXPECT_EQ(symbols.size(), 1u);
    for (const char* bad : {"", "1abc", "two words", "a+b", "semi;colon"})
        EXPECT_EQ(symbols.add(bad, 0x1000), Symbols::AddResult::invalidName) << bad;
    EXPECT_EQ(symbols.size(), 1u);
}

TEST(Symbols, NamesAreCaseSensitiveWithAnUnambiguousCaseInsensitiveFallback)
{
    Symbols symbols;
    symbols.add("Loop", 0x8000);
    symbols.add("LOOP", 0x9000);
    symbols.add("Print", 0x1234);
    EXPECT_EQ(symbols.addressOf("Loop"), 0x8000);
    EXPECT_EQ(symbols.addressOf("LOOP"), 0x9000);
    EXPECT_FALSE(symbols.addressOf("loop")) << "two names differ only in case: ambiguous";
    EXPECT_EQ(symbols.addressOf("PRINT"), 0x1234);
    EXPECT_FALSE(symbols.addressOf("Prin"));

    symbols.add("same", 0x4000);
    symbols.add("SAME", 0x4000);
    EXPECT_EQ(symbols.addressOf("Same"), 0x4000) << "differ in case but agree on the address";
}

TEST(Symbols, NearestGivesTheNameBelowWithItsOffset)
{
    Symbols symbols;
    EXPECT_EQ(symbols.nearest(0x1234), "") << "empty table";
    symbols.add("print", 0x8000);
    symbols.add("loop", 0x8010);
    EXPECT_EQ(symbols.nearest(0x8000), "print");
    EXPECT_EQ(symbols.nearest(0x800F), "print+$F");
    EXPECT_EQ(symbols.nearest(0x8010), "loop");
    EXPECT_EQ(symbols.nearest(0x8123), "loop+$113");
    EXPECT_EQ(symbols.nearest(0x7FFF), "") << "below every symbol";
    EXPECT_EQ(symbols.nearest(0x9011), "") << "further than the default limit";
    EXPECT_EQ(symbols.nearest(0x9011, 0xFFFF), "loop+$1001");
    EXPECT_EQ(symbols.nearest(0x8011, 0), "");
}

TEST(Symbols, ResolveTakesNamesOffsetsAndNumbers)
{
    Symbols symbols;
    symbols.add("print", 0x8000);
    symbols.add("cafe", 0x1111); // spelt like a hex number
    const struct {
        const char* text;
        std::optional<uint16_t> address;
    } cases[] = {
        {"print", 0x8000},   {"PRINT", 0x8000},  {" print+3 ", 0x8003}, {"print+$10", 0x8010},
        {"print-0x10", 0x7FF0}, {"print+0ffh", 0x80FF}, {"cafe", 0x1111}, {"CAFE", 0x1111},
        {"beef", 0xBEEF},    {"$c000", 0xC000},  {"0xC000", 0xC000},    {"0C000h", 0xC000},
        {"1234", 0x1234},    {"#12", 0x0012},    {"10000", std::nullopt}, {"nowhere", std::nullopt},
        {"nowhere+1", std::nullopt}, {"print+", std::nullopt}, {"print+10000", std::nullopt},
        {"", std::nullopt},  {"$", std::nullopt}, {"0x", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(symbols.resolve(c.text), c.address) << "'" << c.text << "'";
}
