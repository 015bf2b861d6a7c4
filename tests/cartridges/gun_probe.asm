; Light gun on port 1: with every TR and TH line an input, each frame polls
; TH from line 0 and, when it falls, records the V counter and the H counter
; it latched; then the trigger line. Results (overwritten every frame): V, H
; ($FF, $FF when TH stayed high down to line $C0), port $DC bit 4.

        include "testkit.inc"

PORT_HCOUNTER   equ $7F
PORT_IO_CTRL    equ $3F
PORT_A          equ $DC
PORT_B          equ $DD

Main:
        ld a,$FF
        out (PORT_IO_CTRL),a
_frame:
        in a,(PORT_VCOUNTER)
        or a
        jr nz,_frame
_poll:
        in a,(PORT_B)
        and $40
        jr z,_seen
        in a,(PORT_VCOUNTER)
        cp $C0
        jr c,_poll
        ld bc,$FFFF
        jr _record
_seen:
        in a,(PORT_VCOUNTER)
        ld b,a
        in a,(PORT_HCOUNTER)
        ld c,a
_record:
        ld a,b
        ld (RESULTS+4),a
        ld a,c
        ld (RESULTS+5),a
        in a,(PORT_A)
        and $10
        ld (RESULTS+6),a
        jr _frame

        ds $4000 - $, $FF
