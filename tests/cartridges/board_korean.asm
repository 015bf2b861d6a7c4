; Korean board probe (8 pages): one register at $A000 for slot 2.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        ld a,($9000)            ; before the first write: the Sega guess, page 0
        call Record
        ld a,5
        ld ($A000),a
        ld a,($9000)
        call Record
        ld a,($B000)
        call Record
        ld a,($5000)            ; slot 1 stays page 1
        call Record
        ld a,7
        ld ($FFFF),a            ; not this board's register
        ld a,($9000)
        call Record
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        ds $4000 - $, $FF
