; Paddle on port 1: each frame, after the picture, waits for TR low and
; takes the low nibble, then for TR high and takes the high nibble. Results
; (overwritten every frame): the position, then the button line (bit 4).

        include "testkit.inc"

PORT_A          equ $DC

Main:
_frame:
        call WaitFrameEnd
_low:
        in a,(PORT_A)
        bit 5,a
        jr nz,_low
        and $0F
        ld c,a
_high:
        in a,(PORT_A)
        bit 5,a
        jr z,_high
        ld b,a
        and $0F
        rlca
        rlca
        rlca
        rlca
        or c
        ld (RESULTS+4),a
        ld a,b
        and $10
        ld (RESULTS+5),a
        jr _frame

        ds $4000 - $, $FF
