// The disassembler tests' table: tests/asm/debug_every_form.asm, one instruction form per
// line, and the bytes z80asm made of it at build time.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "debug/disassembler.h"

using namespace ollendor;

namespace everyForm {

struct Line {
    int number;             // in the source file
    std::string text;       // what the disassembler must show
    ollendor::Flow flow = ollendor::Flow::next;
    ollendor::Form form = ollendor::Form::normal;
};

inline std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

inline bool flowNamed(const std::string& word, ollendor::Flow& flow)
{
    using ollendor::Flow;
    static const std::pair<const char*, Flow> names[] = {
        {"jump", Flow::jump},       {"conditionalJump", Flow::conditionalJump},
        {"call", Flow::call},       {"conditionalCall", Flow::conditionalCall},
        {"ret", Flow::ret},         {"conditionalRet", Flow::conditionalRet},
        {"rst", Flow::rst},         {"blockRepeat", Flow::blockRepeat},
        {"halt", Flow::halt},       {"jumpIndirect", Flow::jumpIndirect}};
    for (const auto& [name, value] : names)
        if (word == name) {
            flow = value;
            return true;
        }
    return false;
}

// Instruction lines: "CODE ; [flow] [form] [= TEXT]"; comments, blank lines and org skipped.
inline std::vector<Line> readLines()
{
    std::ifstream in(OLLENDOR_SOURCE_DIR "/tests/asm/debug_every_form.asm");
    EXPECT_TRUE(in) << "cannot read tests/asm/debug_every_form.asm";
    std::vector<Line> lines;
    std::string raw;
    for (int number = 1; std::getline(in, raw); ++number) {
        const auto semicolon = raw.find(';');
        const std::string code = trimmed(raw.substr(0, semicolon));
        if (code.empty() || code.rfind("org ", 0) == 0)
            continue;
        Line line{number, code};
        if (semicolon != std::string::npos) {
            std::string note = raw.substr(semicolon + 1);
            if (const auto equals = note.find("= "); equals != std::string::npos) {
                line.text = trimmed(note.substr(equals + 2));
                note.resize(equals);
            }
            std::istringstream words(note);
            for (std::string word; words >> word;) {
                if (word == "prefixIgnored")
                    line.form = ollendor::Form::prefixIgnored;
                else if (word == "unrecognised")
                    line.form = ollendor::Form::unrecognised;
                else
                    EXPECT_TRUE(flowNamed(word, line.flow)) << "line " << number << ": unknown note " << word;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<uint8_t> readBinary()
{
    std::ifstream in(OLLENDOR_TEST_ASM_DIR "/debug_every_form.bin", std::ios::binary);
    EXPECT_TRUE(in) << "cannot read the assembled debug_every_form.bin";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads the binary at address 0; 0 past its end.
struct BinaryReader {
    const std::vector<uint8_t>* bytes;
    uint8_t operator()(uint16_t address) const { return address < bytes->size() ? (*bytes)[address] : 0; }
};

} // namespace everyForm
