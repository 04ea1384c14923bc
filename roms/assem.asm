; assemrom: the pages of the built-in ROM that live in ROM page 1 at 0x2000-0x3FFF: the
; graphics page and the tape page. The OS image stays at 0x0000-0x1FFF in this ROM page,
; so the service table works here as well.

	include "hardware.inc"
	include "ram.inc"
	include "services.inc"

	org 0x2000

	jp graphicsPage		; pageEntry0
	jp tapePage		; pageEntry1

	ds pageEntry2 - $, 0xFF
	jp graphicsPage		; (no third page: the graphics page)

	include "page_graphics.inc"
	include "page_tape.inc"

	ds 0x4000 - $, 0xFF
