; basicrom: the pages of the built-in ROM that live in ROM page 0 at 0x2000-0x3FFF:
; the welcome page, the keyboard page and the sound page. Each page draws itself, then
; loops on the OS's poll until a page key asks for another page, whose number it returns.

	include "hardware.inc"
	include "ram.inc"
	include "services.inc"

	org 0x2000

	jp welcomePage		; pageEntry0
	jp keyboardPage		; pageEntry1
	jp soundPage		; pageEntry2

	include "page_welcome.inc"
	include "page_keyboard.inc"
	include "page_sound.inc"

	ds 0x4000 - $, 0xFF
