; The start-up code of the C test program: interrupts off, the stack at the
; top of RAM, initialised globals copied from ROM, then main.
	.module crt0
	.globl _main
	.area _HEADER (ABS)
	.org 0x0000
	di
	im 1
	ld sp, #0xdff0
	call gsinit
	call _main
stop:
	halt
	jr stop
	.org 0x0038
	ei
	reti
	.org 0x0066
	retn
	; The areas in the order the linker lays them out.
	.area _HOME
	.area _CODE
	.area _INITIALIZER
	.area _GSINIT
	.area _GSFINAL
	.area _DATA
	.area _INITIALIZED
	.area _BSEG
	.area _BSS
	.area _HEAP
	.area _GSINIT
gsinit:
	ld bc, #l__INITIALIZER
	ld a, b
	or a, c
	jr z, gsinit_done
	ld de, #s__INITIALIZED
	ld hl, #s__INITIALIZER
	ldir
gsinit_done:
	.area _GSFINAL
	ret
