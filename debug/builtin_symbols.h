// The symbols of Ollendor's own ROM set, from the label files embedded at build time.
#pragma once

#include <string_view>

#include "debug/symbols.h"

namespace ollendor {

// The labels of all three built-in images in one table. Where two share an address the OS
// image's name comes first (it is mapped at every page).
const Symbols& builtinRomSymbols();

// The labels of one image by its file name (osrom, basicrom, assemrom); an empty table for
// any other name.
Symbols builtinRomSymbols(std::string_view romFileName);

} // namespace ollendor
