; No mapper (3 pages, 48 KB): every page in place; $FFFC-$FFFF are RAM.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        ld a,($1000)
        call Record
        ld a,($5000)
        call Record
        ld a,($9000)
        call Record
        ld a,1
        ld ($FFFF),a
        ld a,($9000)
        call Record
        ld a,($FFFF)
        call Record
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        ds $4000 - $, $FF
