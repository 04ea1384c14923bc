; A tiny OS image for the window tests: a Graphics I picture of light blue with a white
; line on every eighth row, inside a dark blue border, then an idle loop.
; VDP ports: OUT 2 takes control byte pairs (value, 0x80 | register, or address low,
; address high | 0x40), OUT 1 writes video memory at the address.

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

        ; pattern 0 (at 0x0000): first row set, the other seven clear
        xor a
        out (2), a
        ld a, 0x40
        out (2), a
        ld a, 0xFF
        out (1), a
        ; colour table (at 0x2000): white on light blue for patterns 0-7
        xor a
        out (2), a
        ld a, 0x60
        out (2), a
        ld a, 0xF5
        out (1), a
idle:
        jr idle

registers:
        ; Graphics I, display on; names at 0x1800, colours at 0x2000, patterns at 0,
        ; sprite attributes at 0x1B00 (all colour 0 there: no sprite is drawn),
        ; backdrop 4 (dark blue)
        db 0x00, 0x40, 0x06, 0x80, 0x00, 0x36, 0x07, 0xF4

        ds 0x2000 - $, 0xFF
