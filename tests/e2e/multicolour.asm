; A tiny OS image for the window tests: switches the video chip to multicolour mode, which
; the renderer does not draw (the program shows its "Unsupported mode" box), then idles.
; VDP port: OUT 2 takes control byte pairs (value, 0x80 | register).

        org 0
        di
        ld sp, 0xF000
        ld hl, registers
        ld b, 8                 ; registers 0-7
        ld c, 0x80
next_register:
        ld a, (hl)
        out (2), a
        ld a, c
        out (2), a
        inc hl
        inc c
        djnz next_register
idle:
        jr idle

registers:
        ; multicolour (register 1 bit 3), display on; backdrop 4 (dark blue)
        db 0x00, 0x48, 0x06, 0x80, 0x00, 0x36, 0x07, 0xF4

        ds 0x2000 - $, 0xFF
