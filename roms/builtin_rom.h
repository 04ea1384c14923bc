// Ollendor's own ROM set: three 8 KiB images assembled from roms/*.asm at build time.
//
// They run when the MTX ROM files are missing, so that the program shows something
// useful out of the box: a welcome page that says where the real images go, a live
// keyboard matrix, a sound page, a Graphics II picture with sprites and a tape page that
// loads the demo tape (build/tapes/OLLENDEMO). They stand in for the files `osrom`,
// `basicrom` and `assemrom` and are laid out in the page store exactly like them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

inline constexpr std::size_t builtinRomSize = 8192;

extern const uint8_t builtinOsRom[builtinRomSize];    // stands in for osrom
extern const uint8_t builtinBasicRom[builtinRomSize]; // stands in for basicrom
extern const uint8_t builtinAssemRom[builtinRomSize]; // stands in for assemrom

// The file names of the three images, in the order the loader reads them.
inline constexpr std::string_view romFileNames[3] = {"osrom", "basicrom", "assemrom"};

// The tape file the built-in tape page asks for (the first 9 bytes of its name field).
inline constexpr std::string_view builtinDemoTapeName = "OLLENDEMO";

// The built-in image standing in for the ROM file of this name, or an empty span for a
// name that is not one of romFileNames.
std::span<const uint8_t> builtinRomImage(std::string_view fileName);

// Lays the built-in set out in a page store of 64 KiB pages (page p at offset p * 65536)
// as the file loader lays out the files: the OS image at 0x0000 and basicrom at 0x2000 of
// page 0, assemrom at 0x2000 of page 1, every byte of 0x2000-0x3FFF of pages 2-7 0xFF, and
// the OS image copied to 0x0000 of pages 1-7. The store must hold at least 8 pages. The
// tape trap is not patched here: the caller patches page 0 afterwards, as for files.
void loadBuiltinRomImages(uint8_t* pageStore, std::size_t storeSize);
