; The V counter in each picture height: for 192 lines, 224 lines (register
; 0 bit 1 and register 1 bit 4) and 240 lines (register 0 bit 1 and
; register 1 bit 3), three results each: the last value before the counter
; jumps back, the first after the jump, and the value read just after the
; frame flag appears. The counter's run wraps from $FF to $00 without a
; jump (a PAL console's taller pictures count past $FF).

        include "testkit.inc"

Main:
        ld hl,Heights
_height:
        ld a,(hl)
        inc hl
        out (PORT_VDP_CTRL),a
        ld a,VDP_REGISTER | 0
        out (PORT_VDP_CTRL),a
        ld a,(hl)
        inc hl
        out (PORT_VDP_CTRL),a
        ld a,VDP_REGISTER | 1
        out (PORT_VDP_CTRL),a
        push hl
        call WaitLine10
        call WaitLine10         ; a whole frame in the new height
        ld b,$10
_count:
        in a,(PORT_VCOUNTER)
        cp b
        jr z,_count
        ld c,a
        ld a,b
        inc a
        cp c
        jr nz,_jump
        ld b,c
        jr _count
_jump:
        ld (ix+0),b
        ld (ix+1),c
        call WaitLine10
        in a,(PORT_VDP_CTRL)
_flag:
        in a,(PORT_VDP_CTRL)
        or a
        jp p,_flag
        in a,(PORT_VCOUNTER)
        ld (ix+2),a
        inc ix
        inc ix
        inc ix
        pop hl
        ld a,(hl)
        or a
        jr nz,_height
        jp Finish

; Waits for a line on which the V counter reads $10.
WaitLine10:
        in a,(PORT_VCOUNTER)
        cp $10
        jr z,WaitLine10
_wait:
        in a,(PORT_VCOUNTER)
        cp $10
        jr nz,_wait
        ret

; Register 0, register 1 for each height; 0 ends.
Heights:
        db $04,$00, $06,$10, $06,$08, 0

        ds $4000 - $, $FF
