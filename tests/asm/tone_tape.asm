; Keeps tones playing and changing, and reads a tape as it goes: for the tests that cut a
; run anywhere and expect the whole run's sound (tests/sound_exact_future_test.cpp).
;
; Each round sets channel 0's period from a counter and the first byte of the last tape
; header, channel 1 to a fixed tone whose loudness follows the counter, strobes (IN 3),
; asks the OS's tape routine (the trap at 0x0AAE) for an 18-byte header of "TONE", then
; waits a while that depends on the counter (about 50,000 to 260,000 cycles), so that the
; changes fall anywhere within the sound's halves and frames.

header: equ 0xC011              ; where the tape routine puts a header
counter: equ 0xC100

        org 0x0000
        di
        ld sp, 0xF000
        ld a, 1
        ld (0xFD68), a          ; load, not verify
        xor a
        ld (0xFD67), a
        ld (counter), a
        ld hl, name
        ld de, 0xC002           ; the OS's 15-byte name field
        ld bc, 15
        ldir
round:  ld a, (counter)
        ld b, a
        ld a, (header)
        add a, b
        ld c, a                 ; period bits from counter + header byte
        and 0x0F
        or 0x80                 ; channel 0, period low bits
        out (6), a
        ld a, c
        rrca
        rrca
        and 0x3F
        or 0x08                 ; upper bits: never a period of 0
        out (6), a
        ld a, 0x90              ; channel 0 at full loudness
        out (6), a
        ld a, 0xA7              ; channel 1: period 0x127
        out (6), a
        ld a, 0x12
        out (6), a
        ld a, b
        rrca
        and 0x0F
        or 0xB0                 ; channel 1's loudness follows the counter
        out (6), a
        in a, (3)               ; strobe: the tones are published
        ld hl, header
        ld de, 18
        call 0x0AAE             ; the next header of the tape
        ld a, b
        and 0x1F
        add a, 8
        ld d, a
        ld e, 0x40
delay:  dec de
        ld a, d
        or e
        jr nz, delay
        ld hl, counter
        inc (hl)
        jr round

name:   db "TONE           "
