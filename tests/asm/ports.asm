; Reaches the keyboard and the page selectors through the different forms of IN and OUT.

        org 0x0000
        di
        ld sp, 0xF000
        ld bc, 0x1205           ; port 5; B must play no part
        ld a, 0x7F
        out (c), a              ; drive keyboard row 7
        ld a, 0x12
        in a, (5)               ; columns 0-7; A's old value plays no part
        ld (0xC200), a
        in a, (6)               ; columns 8-9 and strap bits
        ld (0xC201), a
        ld c, 0x0D
        in a, (c)               ; port 13: outside the map
        ld (0xC202), a
        ld a, 0xF3
        out (0), a              ; RAM page 3, ROM page 7 (a copy of this program)
        ld a, 0x5A
        ld (0x8000), a          ; lands in page 3
        ld (0x0100), a          ; ROM: dropped
        ld a, 0xA5
        ld (0xC203), a          ; done
idle:   halt
        jr idle
