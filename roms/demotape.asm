; The demo tape: the blocks the built-in ROM's tape page loads, one after the other, as
; the tape image file holds them (build/tapes/OLLENDEMO).
;
; Block 1, the 18-byte header (loaded to 0xC011): "OT", the data length, the load address
; and a 12-character title.
; Block 2, the data (loaded to demoLoadAddr in RAM page demoRamPage): text with lines
; ending in 10 and the whole ending in 0, then the end mark "TO" as its last two bytes.

	include "hardware.inc"

	org 0
header:
	dw demoTapeMagic
	dw dataEnd - data
	dw demoLoadAddr
	db "Hello, tape!"
	ds header + tapeHeaderSize - $, 0	; exactly 18 bytes (fails to assemble if longer)

data:
	db "This text came from the demo tape, a",10
	db "file that Ollendor assembled from its",10
	db "own source, roms/demotape.asm.",10
	db 10
	db "The tape page asked the tape routine",10
	db "at 0AAE for the 18-byte header, then",10
	db "for the data block it describes; the",10
	db "machine's trap copied both from the",10
	db "file tapes/OLLENDEMO into memory.",10
	db 10
	db "This text lies at 4000 in RAM page 1,",10
	db "paged in through port 0.",0
	db "TO"
dataEnd:
