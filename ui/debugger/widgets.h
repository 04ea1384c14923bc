// Small pieces the debugger's views share: address fields that take a symbol or a number,
// hex fields, and the colours they use (chosen to read well on ImGui's light style).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <imgui.h>

#include "debug/hex_text.h"
#include "debug/symbols.h"

namespace ollendor {

namespace debugColour {
inline const ImVec4 label{0.05f, 0.25f, 0.70f, 1.0f};    // symbol names
inline const ImVec4 dim{0.40f, 0.40f, 0.40f, 1.0f};      // bytes, cycles, notes
inline const ImVec4 warning{0.70f, 0.30f, 0.00f, 1.0f};  // unrecognised forms
inline const ImVec4 error{0.75f, 0.05f, 0.05f, 1.0f};    // what failed
inline const ImVec4 changed{0.85f, 0.10f, 0.10f, 1.0f};  // a value changed since the last pause
inline const ImU32 pcLine = IM_COL32(255, 226, 120, 255);   // behind the instruction at PC
inline const ImU32 breakpoint = IM_COL32(210, 30, 30, 255);  // the breakpoint dot
inline const ImU32 changedBack = IM_COL32(255, 200, 200, 255); // behind a changed byte
} // namespace debugColour

// What a user typed to go somewhere (a symbol, symbol+offset, or a number, bare hex
// allowed); nothing, with the reason in error, when it is neither.
std::optional<uint16_t> resolveAddress(const Symbols& symbols, std::string_view text, std::string& error);

// hex4 and hex2 ("0AAE", "0A"): debug/hex_text.h.

// A hex field for an 8- or 16-bit value; read-only unless editable. True once an edit was
// finished with Enter: value then holds it (leaving the field otherwise drops the edit).
bool hexField(const char* id, uint16_t& value, bool wide, bool editable, float width = 0);

// The text in a colour.
void colouredText(const ImVec4& colour, const std::string& text);

} // namespace ollendor
