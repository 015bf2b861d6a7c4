; Korean 8 KB board probe (8 pages, 16 pieces of 8 KB): registers at
; $0000-$0003 choose the pieces at $8000, $A000, $4000 and $6000.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        ld a,9
        ld ($0000),a
        ld a,12
        ld ($0001),a
        ld a,7
        ld ($0002),a
        ld a,15
        ld ($0003),a
        ld a,($1000)            ; slot 0 stays in place
        call Record
        ld a,($3000)
        call Record
        ld a,($5000)
        call Record
        ld a,($7000)
        call Record
        ld a,($9000)
        call Record
        ld a,($B000)
        call Record
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        ds $4000 - $, $FF
