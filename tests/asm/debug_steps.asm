; Run as the OS ROM by the debugger's tests: counter/timer interrupts in mode 2 (channel 1
; every 4096 cycles, handler at `tick`) over a main loop that has one of each kind of
; instruction a step treats in its own way. The labels are what the tests look for; the
; assembler's label file gives their addresses.

ticks:  equ 0xC000              ; interrupts taken
calls:  equ 0xC002              ; times `routine` ran
keys:   equ 0xC004              ; the last byte read from keyboard port 5
buffer: equ 0xC100              ; a block copy's target

        org 0x0000
        di
        jp setup

        ds 0x0008 - $, 0
rst8:   inc a                   ; RST 8 comes here
        ret

setup:  ld sp, 0xF000
        ld a, 0x01              ; vector table page: 0x0100
        ld i, a
        im 2
        ld a, 0x40
        out (8), a              ; vector 0x40
        ld a, 0xA5
        out (9), a              ; channel 1: interrupts on, prescaler 256, constant follows
        ld a, 0x10
        out (9), a              ; 16 x 256 = 4096 cycles
        ei
        jp main

        ds 0x0040 - $, 0
main:   ld b, 3
loop:   call routine            ; step over: runs `routine` to its return
after_call:
        rst 8                   ; step into: goes to 0x0008
after_rst:
        djnz loop               ; jumps back twice, then falls through
after_djnz:
        ld hl, 0xC000
        ld de, buffer
        ld bc, 64
        ldir                    ; step over: the whole copy
after_ldir:
        ld a, 0xF4
        out (2), a
        ld a, 0x87
        out (2), a              ; video chip register 7: 0xF4
        ld a, 0xFE
        out (5), a              ; drive row 0
        in a, (5)
        ld (keys), a
        halt                    ; waits for the next interrupt
after_halt:
        jr main

routine:
        push hl
        ld hl, (calls)
        inc hl
        ld (calls), hl
        call inner              ; a call within the call
        push bc
        ld bc, 0x0180           ; a wait longer than the timer's period (about 6,600
wait:   djnz wait               ; cycles against 4,096), so every call meets an interrupt
        dec c
        jr nz, wait
        pop bc
        pop hl
        ret
inner:  nop
inner_ret:
        ret

tick:   push af
        push hl
        ld hl, (ticks)
        inc hl
        ld (ticks), hl
        pop hl
        pop af
        ei
        reti

        ds 0x0140 - $, 0
        dw tick                 ; 0x40: channel 0
        dw tick                 ; 0x42: channel 1
        dw tick                 ; 0x44: channel 2
        dw tick                 ; 0x46: channel 3
