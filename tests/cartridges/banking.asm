; Banking: one page of an image of any page count. Every page holds its
; number at offset $3000; page 0 also holds the program, which selects each
; bank number 0-63 in slot 2 (through $FFFF) and records the signature read
; at $B000, one byte per bank number.
;
; Assembled once per page with PAGE defined (pasmo --equ PAGE=n).

        if PAGE = 0

        include "testkit.inc"

Main:
        ld b,0
_bank:
        ld a,b
        ld (MAPPER_SLOT2),a
        ld a,($B000)
        ld (ix+0),a
        inc ix
        inc b
        ld a,b
        cp 64
        jr nz,_bank
        jp Finish

        endif

        ds $3000 - $, $FF
        db PAGE
        ds $4000 - $, $FF
