; Sega board probe (8 pages): the slot registers at $FFFD-$FFFF.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        call CopyRamRoutine
        ld a,($5000)            ; slot 1 at reset: page 1
        call Record
        ld a,($9000)            ; slot 2 at reset: page 0
        call Record
        ld a,5
        ld ($FFFF),a
        ld a,($9000)
        call Record
        ld a,3
        ld ($FFFE),a
        ld a,($5000)
        call Record
        ld hl,$FFFD             ; slot 0 to page 2; its first 1 KB stays page 0's
        ld de,$1000
        ld a,2
        call ThroughRam
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        ds $4000 - $, $FF
