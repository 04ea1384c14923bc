; osrom: the OS image of Ollendor's built-in ROM set (0x0000-0x1FFF of every ROM page).
;
; It starts the machine, runs the counter/timer clock, offers the routines the pages use
; (text and graphics output, keyboard, sound, tape) through a jump table, and switches
; between the five pages. The pages themselves live in basicrom (ROM page 0: welcome,
; keyboard, sound) and assemrom (ROM page 1: graphics, tape). The OS image appears at
; 0x0000-0x1FFF whatever ROM page is selected, so its code may switch pages freely.

	include "hardware.inc"
	include "ram.inc"
	include "services.inc"

	org 0x0000

; Reset: the machine starts here with interrupts off and SP = 0xF000.
reset:
	di
	ld sp,stackTop
	jp coldStart

; Mode 1 interrupts and RST 38h are not used; a stray one just returns.
	ds 0x0038 - $, 0xFF
strayInterrupt:
	ei
	reti

; Non-maskable interrupt: nothing on this machine raises one.
	ds 0x0066 - $, 0xFF
nmiEntry:
	retn

; Interrupt mode 2 vector table: I = 0x00 and the counter/timer vector is 0x80, so
; channel n jumps through the word at 0x0080 + 2n. Only channel 0 runs.
	ds ctcVector - $, 0xFF
vectorTable:
	dw ctcInterrupt		; channel 0: the clock tick
	dw strayInterrupt	; channel 1
	dw strayInterrupt	; channel 2
	dw strayInterrupt	; channel 3

; The service table. Every entry sits at the address services.inc gives it: each DS
; below pads up to that address and fails to assemble if the table has grown past it.
	ds svcTextMode - $, 0xFF
	jp textMode
	ds svcPrintAt - $, 0xFF
	jp printAt
	ds svcPrint - $, 0xFF
	jp print
	ds svcPutChar - $, 0xFF
	jp putChar
	ds svcPrintHex8 - $, 0xFF
	jp printHex8
	ds svcPrintHex16 - $, 0xFF
	jp printHex16
	ds svcPrintDec - $, 0xFF
	jp printDecimal
	ds svcPrintDec5 - $, 0xFF
	jp printDecimal5
	ds svcSetCursor - $, 0xFF
	jp setTextCursor
	ds svcPoll - $, 0xFF
	jp poll
	ds svcKeyDown - $, 0xFF
	jp keyDown
	ds svcVdpReg - $, 0xFF
	jp vdpSetReg
	ds svcVramWrite - $, 0xFF
	jp vramWriteAddr
	ds svcVramFill - $, 0xFF
	jp vramFill
	ds svcVramCopy - $, 0xFF
	jp vramCopy
	ds svcGfxMode - $, 0xFF
	jp graphicsMode
	ds svcGfxChar - $, 0xFF
	jp gfxChar
	ds svcGfxString - $, 0xFF
	jp gfxString
	ds svcDisplayOn - $, 0xFF
	jp displayOn
	ds svcSoundSet - $, 0xFF
	jp soundSet
	ds svcSoundStrobe - $, 0xFF
	jp soundStrobe
	ds svcSetRamPage - $, 0xFF
	jp setRamPage
	ds svcTapeBlock - $, 0xFF
	jp tapeBlock
	ds svcShowClock - $, 0xFF
	jp showClock
	ds svcFont - $, 0xFF
	dw fontData
	db 0xFF
	ds svcTableEnd - $, 0xFF

; ---------------------------------------------------------------------------------------
; Start-up and the page loop.

coldStart:
	; Our variables: zero, whatever a previous run left.
	ld hl,ramBase
	ld de,ramBase + 1
	ld bc,0x02FF
	ld (hl),0
	ldir
	ld hl,0xFFFF
	ld (clockShown),hl

	xor a			; ROM page 0, RAM page 0
	call setPaging
	call silence
	call startClock

	ld a,1			; the welcome page first
	ld (currentPage),a
pageLoop:
	ld a,(currentPage)
	call runPage
	ld (currentPage),a
	; Leave nothing of the old page running: no notes, no moving sprites.
	xor a
	ld (spritesOn),a
	call silence
	jr pageLoop

; Runs page A (1-5) in its ROM page until it asks for another page; returns that in A.
runPage:
	dec a
	ld l,a
	add a,a
	add a,l			; three bytes per page in the table
	ld l,a
	ld h,0
	ld de,pageTable
	add hl,de
	ld a,(hl)		; the page's ROM page, with RAM page 0
	call setPaging
	inc hl
	ld e,(hl)
	inc hl
	ld d,(hl)
	ex de,hl
	call jumpHL
	push af
	xor a			; back to ROM page 0 and RAM page 0
	call setPaging
	pop af
	ret

jumpHL:
	jp (hl)

; Where each page lives: ROM page bits, entry address.
pageTable:
	db romPageBasic
	dw pageEntry0		; 1: welcome
	db romPageBasic
	dw pageEntry1		; 2: keyboard
	db romPageBasic
	dw pageEntry2		; 3: sound
	db romPageAssem
	dw pageEntry0		; 4: graphics
	db romPageAssem
	dw pageEntry1		; 5: tape

; Port 0 cannot be read back, so every write goes through here and is remembered.
setPaging:
	ld (pagingShadow),a
	out (portPaging),a
	ret

; A = RAM page (0-15) for 0x4000-0xBFFF; the ROM page stays.
setRamPage:
	and 0x0F
	ld b,a
	ld a,(pagingShadow)
	and 0x70
	or b
	jr setPaging

	include "os_clock.inc"
	include "os_keyboard.inc"
	include "os_sound.inc"

; ---------------------------------------------------------------------------------------
; The OS's tape routine. The machine patches these three bytes with its tape trap (ED FE
; and RET); unpatched, the routine loads nothing and returns at once.
	ds tapeEntry - $, 0xFF
tapeRoutine:
	ret
	nop
	nop

	include "os_tape.inc"
	include "os_video.inc"
	include "os_text.inc"
	include "font.inc"

	ds 0x2000 - $, 0xFF
