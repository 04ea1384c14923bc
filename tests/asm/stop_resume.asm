; Loaded at 0 by the stop-and-resume tests: a block copy that spans slices, an instruction
; that costs nothing (DD 00) and a run of them too long for one slice, LD A,R (which reads
; the slice counter), I/O, HALT and a mode 1 interrupt handler, so that every way an
; instruction meets the slice end is run.
        org 0
        ld sp,0xF000
        im 1
        ei
        jp main
        ds 0x38-$
        push af
        ld a,(0x6004)
        inc a
        ld (0x6004),a
        pop af
        ei
        ret
main:   ld hl,0x4000
        ld de,0x5000
        ld bc,300
        ldir
        db 0xDD,0x00
        ds 4200,0xDD            ; a run of prefixes long enough to end a slice by itself
        nop
        ld a,r
        ld (0x6000),a
        out (0x10),a
        ld hl,(0x6002)
        inc hl
        ld (0x6002),hl
        ld a,(0x4000)
        inc a
        ld (0x4000),a
        halt
        jp main
