// Text from outside the program (command-line arguments, names read from files) made safe
// to print in a one-line message: control bytes would act on the terminal and a byte cut
// from a UTF-8 character prints as garbage, so only printable ASCII is shown as it is.
#pragma once

#include <string>
#include <string_view>

namespace ollendor {

// Printable ASCII as it is; newline, tab and carriage return as \n, \t, \r; every other
// byte as \xNN (two upper-case hex digits).
std::string escapedForMessage(std::string_view text);

// A file name as shown in a message: its characters as they are (a name in another
// script reads as itself), but control characters (C0, DEL and C1) and bytes that are no
// UTF-8 escaped as escapedForMessage does, so a name cannot act on the terminal.
std::string escapedName(std::string_view name);

// The whole UTF-8 character that starts at `at` (its lead byte and the continuation bytes
// that follow), or the single byte when it starts no valid sequence.
std::string_view characterAt(std::string_view text, std::size_t at);

} // namespace ollendor
