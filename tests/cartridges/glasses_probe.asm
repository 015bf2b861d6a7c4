; 3-D glasses: the display is off, so every pixel is the backdrop (colour 16).
; Each frame, after the picture, the program opens the other shutter through
; $FFF8 and sets the backdrop for that eye: red for shutter 0, blue for 1.

        include "testkit.inc"

GLASSES         equ $FFF8

Main:
        ld e,0
_frame:
        call WaitFrameEnd
        ld a,e
        xor 1
        ld e,a
        ld (GLASSES),a
        ld hl,16 | (VDP_WRITE_CRAM << 8)
        call VdpSetAddress
        ld a,e
        or a
        ld a,$03
        jr z,_colour
        ld a,$30
_colour:
        out (PORT_VDP_DATA),a
        jr _frame

        ds $4000 - $, $FF
