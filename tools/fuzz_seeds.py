#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into tests/fuzz/corpus/NAME/.

The targets read their inputs with libFuzzer's FuzzedDataProvider, which takes byte
strings from the front of the input and integers from the back (most significant byte
last in the file). Input builds an input the same way, so each seed says what it means.
Usage: tools/fuzz_seeds.py [Z80 programs folder with ports.bin and tape.bin]
"""
import os
import struct
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fuzz", "corpus")


class Input:
    def __init__(self):
        self.front = bytearray()
        self.back = bytearray()  # in the order the target consumes them

    def byte(self, v):
        return self.int(v, 1)

    def int(self, v, n, signed=False):
        if signed:
            v += 1 << (8 * n - 1)  # the provider adds the type's minimum
        self.back += (v & ((1 << (8 * n)) - 1)).to_bytes(n, "big")
        return self

    def bytes(self, b):
        self.front += bytes(b)
        return self

    def data(self):
        return bytes(self.front) + bytes(reversed(self.back))


def write(target, name, data):
    folder = os.path.join(ROOT, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def machine(flags, keys=b"", offset=0, contents=b"", pages=0, int_state=0, i=0, caps=0):
    # flags, port 0, interrupt state, I, Caps Lock, keys (20 bytes), offset, contents
    inp = Input().byte(flags).byte(pages).byte(int_state).byte(i).int(caps, 2, signed=True)
    inp.bytes(keys.ljust(20, b"\0")).int(offset, 4)
    # The offset is consumed after the keys, so the contents follow the keys in front.
    return inp.bytes(contents).data()


def vdp(ops):
    inp = Input()
    for op in ops:
        inp.byte(op)
    # Every operation is read with ConsumeIntegral, from the back.
    return inp.data()


def main():
    programs = sys.argv[1] if len(sys.argv) > 1 else None

    # --- machine
    write("machine", "builtin-rom-idle", machine(0x03))
    write("machine", "builtin-rom-keys", machine(0x03, keys=bytes([0x01, 0, 0, 0, 0, 0, 0x20, 0, 0, 0,
                                                                   0x02, 0, 0, 0, 0, 0, 0, 0, 0x80, 0])))
    write("machine", "builtin-rom-caps", machine(0x03, caps=1))
    if programs:
        with open(os.path.join(programs, "ports.bin"), "rb") as f:
            write("machine", "ports-and-counter", machine(0x0E, contents=f.read()))
        with open(os.path.join(programs, "tape.bin"), "rb") as f:
            write("machine", "tape-request", machine(0x02, contents=f.read()))
    write("machine", "ed-prefixes", machine(0x04, contents=bytes([0xED, 0x00, 0xDD, 0xCB, 0x00, 0x00,
                                                                  0xFD, 0xFD, 0xDD, 0x00, 0xC3, 0x00, 0x00])))

    # --- video chip: register writes are opcode 4 | reg << 3 with the value;
    # address sets opcode 5 | high << 3 with the low byte; 6 a block of data; 7 render.
    def reg(r, v):
        return [4 | (r << 3), v]

    def addr(a):
        return [5 | ((a >> 8) << 3), a & 0xFF]

    def block(bs):
        return [6, len(bs) - 1] + list(bs)

    sprites = addr(0x3B00) + block([50, 60, 0, 0x0F, 100, 250, 4, 0x09, 180, 0, 8, 0x03, 208])
    patterns = addr(0x3800) + block([0xFF, 0x81, 0x81, 0xFF] * 16)
    write("vdp", "graphics1-sprites", vdp(reg(1, 0xC0) + reg(2, 0x06) + reg(3, 0x80) + reg(4, 0)
                                          + reg(5, 0x76) + reg(6, 7) + reg(7, 0xF4)
                                          + addr(0x1800) + block(range(64)) + patterns + sprites + [7]))
    write("vdp", "graphics2-large-magnified", vdp(reg(0, 0x02) + reg(1, 0xC3) + reg(2, 0x0E) + reg(3, 0xFF)
                                                  + reg(4, 0x03) + reg(5, 0x76) + reg(6, 0x07)
                                                  + addr(0x2000) + block([0xF1] * 32) + patterns + sprites))
    write("vdp", "text-mode", vdp(reg(1, 0xD0) + reg(2, 0x0F) + reg(4, 1) + reg(7, 0xF4)
                                  + addr(0x3C00) + block(b"HELLO") + [2, 3, 1, 0x12, 0, 0xAA, 7]))
    write("vdp", "multicolour-then-back", vdp(reg(1, 0x08) + [7] + reg(1, 0x00) + reg(0, 0x02) + reg(2, 0xFF)))
    write("vdp", "address-wrap", vdp(addr(0x3FFE) + block([1, 2, 3, 4]) + [2, 2, 2]))

    # --- sound chip: opcode 0 OUT 6 with a byte, 1 strobe (| 4 flips running),
    # 2 fill a half (| 4 the longer one), 3 fill a short half of the next byte's length.
    def out(b):
        return [0, b]

    write("sound", "tone-and-fill", vdp(out(0x8E) + out(0x0F) + out(0x90) + [1, 2, 6]))
    write("sound", "three-loud-channels", vdp(out(0x81) + out(0x01) + out(0xA1) + out(0x01) + out(0xC1)
                                              + out(0x01) + out(0x90) + out(0xB0) + out(0xD0) + [5, 2, 2, 6]))
    write("sound", "period-zero-and-one", vdp(out(0x80) + out(0x00) + [1] + out(0x81) + [1, 3, 17]))
    write("sound", "noise-bytes", vdp(out(0xE4) + out(0xF0) + out(0x3F) + [5, 3, 0]))

    # --- tape trap: flags, name field (15 bytes, front), 0xFD67, 0xFD68, port 0,
    # image size, pattern length and pattern (front), then HL, DE pairs.
    def tape(flags, name, verify, load, pages, size, pattern, requests=()):
        inp = Input().byte(flags).bytes(name.ljust(15, b" ")).byte(verify).byte(load).byte(pages)
        inp.int(size, 4).int(len(pattern), 2).bytes(pattern)
        for hl, de in requests:
            inp.int(hl, 2).int(de, 2)
        return inp.data()

    write("tape", "header-then-block", tape(0, b"HELLO", 0, 1, 0x02, 1000, bytes(range(256)),
                                            [(0xC011, 18), (0x4000, 0x100)]))
    write("tape", "trimmed-name-1mib", tape(1, b"BIG", 0, 1, 0, 1 << 20, b"\x55\xAA",
                                            [(0xC011, 18), (0xFFF0, 0xFFFF), (0x0000, 0x8000)]))
    write("tape", "extension", tape(2, b"GAME", 0, 1, 0x03, 70000, b"\x01\x02\x03",
                                    [(0xC011, 18), (0xC011, 18)]))
    write("tape", "leave-the-folder", tape(3, b"../../etc", 0, 1, 0, 10, b"x", [(0xC011, 18)]))
    write("tape", "missing-folder", tape(4, b"HELLO", 0, 1, 0, 10, b"x", [(0xC011, 18)]))
    write("tape", "name-is-a-folder", tape(8, b"DIR", 0, 1, 0, 10, b"x", [(0xC011, 18)]))
    write("tape", "no-load-flags", tape(0, b"HELLO", 1, 1, 0, 10, b"x", [(0xC011, 18)]))

    # --- ROM loader: for each image, kind (6 folder, 7 absent), size, pattern.
    def roms(*images):
        inp = Input()
        for kind, size, pattern in images:
            inp.byte(kind).int(size, 4).int(len(pattern), 1).bytes(pattern)
        return inp.data()

    write("rom_loader", "three-8k", roms((0, 8192, b"\xC3\x00\x00"), (0, 8192, b"\x01"), (0, 8192, b"\x02")))
    write("rom_loader", "empty-and-short", roms((0, 0, b""), (0, 100, b"\x10"), (0, 1, b"\x20")))
    write("rom_loader", "over-64k", roms((0, 70000, b"\x11\x22"), (0, 65536, b"\x33"), (0, 200000, b"\x44")))
    write("rom_loader", "folder", roms((0, 8192, b"\x01"), (6, 0, b""), (0, 8192, b"\x02")))
    write("rom_loader", "absent", roms((0, 8192, b"\x01"), (0, 8192, b"\x02"), (7, 0, b"")))


if __name__ == "__main__":
    main()
