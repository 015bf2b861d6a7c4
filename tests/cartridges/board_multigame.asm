; Multi-game board probe (32 pages): registers at $3FFE, $7FFF and $BFFF
; for slots 0-2; slot 2 adds bits 4-5 of the slot 0 register.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        call CopyRamRoutine
        ld a,3
        ld ($BFFF),a
        ld a,($9000)
        call Record
        ld a,5
        ld ($7FFF),a
        ld a,($5000)
        call Record
        ld hl,$3FFE             ; slot 0 to page $11: slot 2 to $10 + 3
        ld de,$1000
        ld a,$11
        call ThroughRam
        ld a,($9000)            ; slot 0 back at 0: slot 2 at 3 again
        call Record
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        ds $4000 - $, $FF
