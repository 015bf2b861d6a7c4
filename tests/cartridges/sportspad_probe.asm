; Sports pad on port 1: each frame, after the picture, drives port 1's TH
; low, high, low, high through port $3F and reads port $DC after each
; change: X high nibble, X low, Y high, Y low, with the buttons on bits 4-5.
; Results (overwritten every frame): the four reads, bits 0-5.

        include "testkit.inc"

PORT_IO_CTRL    equ $3F
PORT_A          equ $DC
TH_LOW          equ $0D         ; port 1's TH an output, driven low; the rest inputs
TH_HIGH         equ $2D

Main:
_frame:
        call WaitFrameEnd
        ld hl,RESULTS+4
        ld a,TH_LOW
        call _read
        ld a,TH_HIGH
        call _read
        ld a,TH_LOW
        call _read
        ld a,TH_HIGH
        call _read
        jr _frame
_read:
        out (PORT_IO_CTRL),a
        in a,(PORT_A)
        and $3F
        ld (hl),a
        inc hl
        ret

        ds $4000 - $, $FF
