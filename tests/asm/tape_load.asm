; Asks the OS's tape routine (the trap at 0x0AAE) for the header of the tape "NOSUCH",
; then shows that it carries on: a marker byte, then a counter that keeps going up.

marker: equ 0xC100              ; 0x77 once the tape routine has returned
counter: equ 0xC102             ; 16-bit, counts up for ever afterwards

        org 0x0000
        di
        ld sp, 0xF000
        ld a, 1
        ld (0xFD68), a          ; load, not verify
        xor a
        ld (0xFD67), a
        ld hl, name
        ld de, 0xC002           ; the OS's 15-byte name field
        ld bc, 15
        ldir
        ld hl, 0xC011           ; header: 18 bytes to 0xC011
        ld de, 18
        call 0x0AAE
        ld a, 0x77
        ld (marker), a
loop:   ld hl, (counter)
        inc hl
        ld (counter), hl
        jr loop

name:   db "NOSUCH         "
