; Counts counter/timer interrupts taken in interrupt mode 2.
;
; Channel 1 (port 9) runs under prescaler 256 with time constant 0x10, so it runs out
; every 4096 cycles; its vector is 0x40, so the interrupt code is 0x42 and the CPU takes
; its handler address from 0x0142. The other slots of the table lead to "stray", which
; marks the mistake. Between interrupts the CPU halts.

count:  equ 0xC000              ; 16-bit number of interrupts taken
stray_taken: equ 0xC002         ; 1 if a wrong vector slot was used

        org 0x0000
        di
        ld sp, 0xF000
        ld a, 0x01              ; vector table page: 0x0100
        ld i, a
        im 2
        ld hl, 0
        ld (count), hl
        ld a, 0x40
        out (8), a              ; vector 0x40, written through channel 0's port
        ld a, 0xA5
        out (9), a              ; channel 1: interrupts on, prescaler 256, constant follows
        ld a, 0x10
        out (9), a              ; 16 x 256 = 4096 cycles; starts now
        ei
idle:   halt
        jr idle

handler:
        push af
        push hl
        ld hl, (count)
        inc hl
        ld (count), hl
        pop hl
        pop af
        ei
        reti

stray:  push af
        ld a, 1
        ld (stray_taken), a
        pop af
        ei
        reti

        ds 0x0140 - $, 0
        dw stray                ; 0x40: channel 0
        dw handler              ; 0x42: channel 1
        dw stray                ; 0x44: channel 2
        dw stray                ; 0x46: channel 3
